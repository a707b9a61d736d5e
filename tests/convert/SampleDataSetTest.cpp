#include "sim/SampleDataSet.h"
#include "ConvertFixture.h"
#include "convert/ConversionTables.h"
#include "store/DataFileSet.h"
#include "support/TestFolder.h"

#include <QDirIterator>

#include <gtest/gtest.h>

namespace qdv {
namespace {

TEST(SampleDataSet, everyFileHasItsExactSizeAndTheSameBytesEachTime) {
    test::TestFolder a, b;
    QString error;
    ASSERT_TRUE(WriteSampleDataSet(a.Path(), &error)) << error.toStdString();
    ASSERT_TRUE(WriteSampleDataSet(b.Path(), &error)) << error.toStdString();

    QMap<QString, qint64> expected = {{"Name/ZEBU_NME.DAU", 71742}, {"XPoint/ZEBU_XPT.DAU", 33024}};
    for (const char code : QByteArray(datafiles::kPrimaryTypes)) {
        const DataFileEntry& e = datafiles::Entry(datafiles::CodeOfCharacter(code));
        expected.insert(QStringLiteral("Primary/") + QString::fromLatin1(e.name), e.fileSize);
    }
    for (int k = 1; k <= 7; ++k)
        expected.insert(QStringLiteral("Name/") + datafiles::AliasFileName(k), 66048);
    for (int station = 2; station <= 4; ++station)
        expected.insert(datafiles::FileName(datafiles::kStationDat, station), 5222);

    QMap<QString, qint64> found;
    QDirIterator it(a.Path(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString f = QDir(a.Path()).relativeFilePath(it.next());
        found.insert(f, QFileInfo(a.FilePath(f)).size());
        EXPECT_EQ(a.Read(f), b.Read(f)) << f.toStdString();
    }
    EXPECT_EQ(found, expected);
}

TEST(SampleDataSet, loadsThroughTheConversions) {
    test::TestFolder dir;
    ASSERT_TRUE(WriteSampleDataSet(dir.Path(), nullptr));
    const SetupRecord s = test::SetupAt(dir.Path());
    ConversionTables t;
    t.BuildTerminalLabels(s);
    ASSERT_TRUE(t.LoadDescriptions(s));
    for (int k = 1; k <= 7; ++k)
        ASSERT_TRUE(t.LoadAliases(s, k)) << k;
    ASSERT_TRUE(t.LoadCrosspoints(s));

    EXPECT_EQ(t.Labels().Label(Side::Source, 9).typeName, "CAM ");
    EXPECT_EQ(t.Labels().Label(Side::Source, 513).typeName, "IRD ");
    EXPECT_EQ(t.Descriptions().At(Side::Source, 9).Text(), "CAM-001");
    EXPECT_EQ(t.Descriptions().At(Side::Destination, 1).Text(), "MON-001");
    EXPECT_EQ(t.Aliases().Table(7).At(Side::Source, 513).Text(), "IRD-001/7");
    EXPECT_EQ(t.Crosspoints().Source(2, 5), 513);
    // Converting the loaded descriptions again reproduces the sample's description file.
    const QByteArray nme = dir.Read("Name/ZEBU_NME.DAU");
    EXPECT_EQ(t.ConvertDescriptionsToDau(s), ConverterResult{});
    EXPECT_EQ(dir.Read("Name/ZEBU_NME.DAU"), nme);
}

} // namespace
} // namespace qdv
