#include "sim/SampleDataSet.h"
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

} // namespace
} // namespace qdv
