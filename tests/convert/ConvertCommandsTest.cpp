#include "ConvertFixture.h"
#include "cli/Export.h"
#include "cli/Import.h"
#include "convert/ConversionTables.h"
#include "sim/SampleDataSet.h"
#include "support/TestFolder.h"

#include <gtest/gtest.h>

namespace qdv {
namespace {

// The sample data set in a temporary folder, and what a command wrote to stdout and stderr.
struct Cli {
    test::TestFolder dir;
    SetupRecord setup;
    QString out, err;

    Cli() {
        EXPECT_TRUE(WriteSampleDataSet(dir.Path(), nullptr));
        setup = test::SetupAt(dir.Path());
    }
    int Export(const QStringList& words) {
        QTextStream o(&out), e(&err);
        return cli::Export::Write(setup, words, o, e);
    }
    int Import(const QStringList& words) {
        QTextStream o(&out), e(&err);
        return cli::Import::Read(setup, words, o, e);
    }
};

TEST(ConvertCommands, importReplacesNamesAndAddsCrosspoints) {
    Cli c;
    c.dir.Write("d.csv", "S9,,,NEW-CAM,AL1\r\nD1024,,,LAST\r\n");
    c.dir.Write("x.csv", "L1,0005,S9\r\nL3,0005,\r\n");
    ASSERT_EQ(c.Import({"description", c.dir.FilePath("d.csv")}), 0) << c.err.toStdString();
    ASSERT_EQ(c.Import({"crosspoint", c.dir.FilePath("x.csv")}), 0) << c.err.toStdString();

    ConversionTables t;
    ASSERT_TRUE(t.LoadDescriptions(c.setup));
    ASSERT_TRUE(t.LoadAliases(c.setup, 1));
    ASSERT_TRUE(t.LoadAliases(c.setup, 2));
    ASSERT_TRUE(t.LoadCrosspoints(c.setup));
    // The tables were cleared before the import: only what the text names is left.
    EXPECT_EQ(t.Descriptions().At(Side::Source, 9).Text(), "NEW-CAM");
    EXPECT_TRUE(t.Descriptions().At(Side::Source, 10).IsEmpty());
    EXPECT_EQ(t.Descriptions().At(Side::Destination, 1024).Text(), "LAST");
    EXPECT_EQ(t.Aliases().Table(1).At(Side::Source, 9).Text(), "AL1");
    EXPECT_TRUE(t.Aliases().Table(2).At(Side::Source, 9).IsEmpty());
    // Crosspoints are imported over the file: routed cells stay unless the text routes them anew.
    EXPECT_EQ(t.Crosspoints().Source(1, 5), 9);
    EXPECT_EQ(t.Crosspoints().Source(3, 5), 5);
    // As the editors' OK does, the imported texts are also written beside the data files.
    EXPECT_TRUE(c.dir.Read("Name/ZEBU_NME.CSV").contains(",NEW-CAM,AL1,"));
    EXPECT_TRUE(c.dir.Read("XPoint/ZEBU_XPT.CSV").contains("\r\nL1,0005,S9\r\n"));
}

TEST(ConvertCommands, refusedConversionReportsTheLineAndWritesNothing) {
    Cli c;
    const QByteArray nme = c.dir.Read("Name/ZEBU_NME.DAU");
    const QByteArray alias = c.dir.Read("Name/ZEBU_ALS1.DAU");
    c.dir.Write("d.csv", "S1,,,OK,NEW\r\nD2,,,TAB\tX\r\n");
    EXPECT_EQ(c.Import({"description", c.dir.FilePath("d.csv")}), 1);
    EXPECT_TRUE(c.err.contains("error(L1026): Declaration syntax error.")) << c.err.toStdString();
    EXPECT_EQ(c.dir.Read("Name/ZEBU_NME.DAU"), nme);
    EXPECT_EQ(c.dir.Read("Name/ZEBU_ALS1.DAU"), alias);
    EXPECT_FALSE(c.dir.Exists("Name/ZEBU_NME.CSV"));
}

TEST(ConvertCommands, usageErrorsAndUnreadableFiles) {
    Cli c;
    const QStringList usage[] = {{}, {"description"}, {"names", "x.csv"}, {"crosspoint", "a", "b"}};
    for (const QStringList& words : usage) {
        EXPECT_EQ(c.Export(words), 2) << words.join(' ').toStdString();
        EXPECT_EQ(c.Import(words), 2) << words.join(' ').toStdString();
    }
    const QByteArray xpt = c.dir.Read("XPoint/ZEBU_XPT.DAU");
    EXPECT_EQ(c.Import({"crosspoint", c.dir.FilePath("none.csv")}), 1);
    EXPECT_EQ(c.Import({"description", c.dir.FilePath("none.csv")}), 1);
    c.dir.Write("blocker", "a file where a folder would be needed");
    EXPECT_EQ(c.Export({"crosspoint", c.dir.FilePath("blocker/x.csv")}), 1);
    EXPECT_EQ(c.dir.Read("XPoint/ZEBU_XPT.DAU"), xpt);
}

} // namespace
} // namespace qdv
