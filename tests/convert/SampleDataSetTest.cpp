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

    QStringList expected;
    for (const char code : QByteArray(datafiles::kPrimaryTypes)) {
        const DataFileEntry& e = datafiles::Entry(datafiles::CodeOfCharacter(code));
        expected << QStringLiteral("Primary/") + QString::fromLatin1(e.name);
        EXPECT_EQ(QFileInfo(a.FilePath(expected.back())).size(), e.fileSize) << e.name;
    }
    expected << QStringLiteral("Name/ZEBU_NME.DAU") << QStringLiteral("XPoint/ZEBU_XPT.DAU");
    EXPECT_EQ(QFileInfo(a.FilePath("Name/ZEBU_NME.DAU")).size(), 71742);
    EXPECT_EQ(QFileInfo(a.FilePath("XPoint/ZEBU_XPT.DAU")).size(), 33024);
    for (int k = 1; k <= 7; ++k) {
        expected << QStringLiteral("Name/") + datafiles::AliasFileName(k);
        EXPECT_EQ(QFileInfo(a.FilePath(expected.back())).size(), 66048);
    }
    for (int station = 2; station <= 4; ++station) {
        expected << datafiles::FileName(datafiles::kStationDat, station);
        EXPECT_EQ(QFileInfo(a.FilePath(expected.back())).size(), 5222);
    }

    QStringList found;
    QDirIterator it(a.Path(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        found << QDir(a.Path()).relativeFilePath(it.next());
    expected.sort();
    found.sort();
    EXPECT_EQ(found, expected);
    for (const QString& f : found)
        EXPECT_EQ(a.Read(f), b.Read(f)) << f.toStdString();
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
