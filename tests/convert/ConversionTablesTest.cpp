#include "convert/ConversionTables.h"
#include "ConvertFixture.h"
#include "cli/Export.h"
#include "cli/Import.h"
#include "convert/CrosspointList.h"
#include "convert/CrosspointTable.h"
#include "convert/CrosspointText.h"
#include "convert/TmTableRemote.h"
#include "sim/SampleDataSet.h"
#include "store/DataImage.h"
#include "store/StandardSettingsLayout.h"
#include "support/TestFolder.h"

#include <gtest/gtest.h>
#include <tuple>
#include <vector>

namespace qdv {
namespace {

TEST(ConversionTables, loadsOnlyFilesOfTheirExactSizeAndFindsThemInAnyCase) {
    test::TestFolder dir;
    const SetupRecord s = test::SetupAt(dir.Path());
    const QByteArray nme = test::ReadTestData("convert/ZEBU_NME.DAU");
    dir.Write("NAME/zebu_nme.dau", nme);
    dir.Write("NAME/ZEBU_ALS2.DAU", QByteArray(66047, '0'));
    dir.Write("Primary/Zebu_Std.Dau", test::FixtureStdText());

    ConversionTables t;
    t.Aliases().Table(2).At(Side::Source, 1).SetText("KEEP");
    EXPECT_TRUE(t.LoadDescriptions(s));
    EXPECT_EQ(t.Descriptions().At(Side::Source, 1).Text(), "VTR-A");
    EXPECT_FALSE(t.LoadAliases(s, 1)) << "missing";
    EXPECT_FALSE(t.LoadAliases(s, 2)) << "one byte short";
    EXPECT_EQ(t.Aliases().Table(2).At(Side::Source, 1).Text(), "KEEP");
    t.BuildTerminalLabels(s);
    EXPECT_EQ(t.Labels().Label(Side::Source, 300).typeName, "CAM ");

    dir.Write("NAME/zebu_nme.dau", nme + "\r\n");
    t.Descriptions().Clear();
    EXPECT_FALSE(t.LoadDescriptions(s));
    EXPECT_TRUE(t.Descriptions().At(Side::Source, 1).IsEmpty());
}

TEST(ConversionTables, convertingDescriptionsWritesTheDescriptionFileOrLeavesItAsItWas) {
    test::TestFolder dir;
    const SetupRecord s = test::SetupAt(dir.Path());
    dir.Write("Name/ZEBU_NME.DAU", "previous");
    ConversionTables t;
    test::FillFixtureNames(&t.Descriptions(), &t.Aliases());

    // Without ZEBU_STD.DAU nothing can be converted.
    const ConverterResult missing = t.ConvertDescriptionsToDau(s);
    EXPECT_EQ(missing.code, DescriptionConverter::kCannotOpen);
    EXPECT_TRUE(missing.message.contains("ZEBU_STD.DAU"));
    EXPECT_EQ(dir.Read("Name/ZEBU_NME.DAU"), "previous");

    dir.Write("Primary/ZEBU_STD.DAU", test::FixtureStdText());
    t.BuildTerminalLabels(s);
    t.Descriptions().At(Side::Destination, 9).SetText("BAD\x7F");
    const ConverterResult refused = t.ConvertDescriptionsToDau(s);
    EXPECT_EQ(refused.code, DescriptionConverter::kBadLine);
    EXPECT_EQ(refused.message, "'D9,,,BAD\x7F'error(L1033): Declaration syntax error.");
    EXPECT_EQ(dir.Read("Name/ZEBU_NME.DAU"), "previous");
    EXPECT_FALSE(dir.Exists("Name/ZEBU_NME.OLD")); // the converter's input, written beside it
}

TEST(ConversionTables, labelsPlayNoPartInTheDescriptionFile) {
    // Type names (and the labels made of them) as plants and damaged files have them: type 1, the label of
    // source 1 and destination 1024, with a slash, a comma, katakana; empty: an image all of 0xFF.
    const QByteArray typeNames[] = {"V/R ", "V,R ", "\xCB\xDE\xC3\xDE", ""};
    const QByteArray golden = test::ReadTestData("convert/ZEBU_NME.DAU");
    for (const QByteArray& typeName : typeNames) {
        SCOPED_TRACE(typeName.toHex().toStdString());
        test::TestFolder dir;
        const SetupRecord s = test::SetupAt(dir.Path());
        QByteArray img = image::Decode(test::FixtureStdText(), stdlayout::kImageSize);
        if (typeName.isEmpty())
            img.fill('\xFF');
        else
            img.replace(0, 4, typeName);
        dir.Write("Primary/ZEBU_STD.DAU", image::Encode(img));
        ConversionTables t;
        t.BuildTerminalLabels(s);
        test::FillFixtureNames(&t.Descriptions(), &t.Aliases());
        EXPECT_EQ(t.SaveDescriptionsAndAliases(s), ConverterResult{});
        EXPECT_EQ(dir.Read("Name/ZEBU_NME.DAU"), golden);
        EXPECT_EQ(t.ConvertDescriptionsToDau(s), ConverterResult{});
        EXPECT_EQ(dir.Read("Name/ZEBU_NME.DAU"), golden);
    }
}

TEST(CrosspointTable, savesTheGoldenFileAndLoadsItBackByteForByte) {
    const QByteArray saved = test::FixtureCrosspoints().SaveDau();
    EXPECT_TRUE(test::MatchesGolden("ZEBU_XPT.DAU", saved));

    QByteArray golden = test::ReadTestData("convert/ZEBU_XPT.DAU");
    // A damaged cell is carried as it stands.
    golden.replace(image::CharOffsetOfByte(CrosspointTable::ByteAddress(6, 64)), 4, "FFFF");
    CrosspointTable t;
    t.LoadDau(golden);
    EXPECT_EQ(t.Source(1, 300), 5);
    EXPECT_EQ(t.Source(8, 513), 1);
    EXPECT_EQ(t.Source(6, 64), 0xFFFF);
    EXPECT_EQ(t.SaveDau(), golden);
}

TEST(CrosspointTable, shortFileLoadsWhatItHoldsAndClearsTheRest) {
    CrosspointTable t = test::FixtureCrosspoints();
    t.SetSource(1, 2, 9);
    const QByteArray text = t.SaveDau();
    CrosspointTable loaded;
    loaded.SetSource(5, 1024, 77);
    // The text ends in the middle of destination 2's cell on level 1.
    loaded.LoadDau(text.left(image::CharOffsetOfByte(3) + 1));
    EXPECT_EQ(loaded.Source(1, 1), 5);
    EXPECT_EQ(loaded.Source(1, 2), 0);
    EXPECT_EQ(loaded.Source(5, 1024), 0);

    loaded.LoadDau(QByteArray());
    EXPECT_EQ(loaded, CrosspointTable());
}

TEST(CrosspointText, exportMatchesTheGoldenFile) {
    EXPECT_TRUE(test::MatchesGolden("crosspoint.csv", CrosspointText::Export(test::FixtureCrosspoints())));
}

TEST(CrosspointText, importSetsOnlyValidCellsAndNeverClears) {
    struct Case {
        const char* name;
        QByteArray text;
        int level, dest, source; // expected cell after import over source 3
    } cases[] = {
        {"spaces are dropped", "L 1, 0002, S 7\r\n", 1, 2, 7},
        {"destination without leading zeros", "L8,1024,S1024\r\n", 8, 1024, 1024},
        {"level 9", "L9,0002,S7\r\n", 1, 2, 3},
        {"level 0", "L0,0002,S7\r\n", 1, 2, 3},
        {"destination 1025", "L1,1025,S7\r\n", 1, 2, 3},
        {"source 0", "L1,0002,S0\r\n", 1, 2, 3},
        {"source 1025", "L1,0002,S1025\r\n", 1, 2, 3},
        {"empty source", "L1,0002,\r\n", 1, 2, 3},
        {"source without S", "L1,0002,7\r\n", 1, 2, 3},
        {"line feeds end lines", "L1,0002,S7\nL1,0002,S8\n", 1, 2, 8},
        {"byte-order mark", "\xEF\xBB\xBFL1,0002,S7\r\n", 1, 2, 7},
        {"last line without CR", "L1,0001,S1\r\nL1,0002,S7", 1, 2, 3},
        {"lower-case l", "l1,0002,S7\r\n", 1, 2, 3},
        {"last valid line wins", "L1,0002,S7\r\nL1,2,S9\r\n", 1, 2, 9},
    };
    for (const Case& c : cases) {
        CrosspointTable t;
        t.SetSource(c.level, c.dest, 3);
        CrosspointText::Import(c.text, &t);
        EXPECT_EQ(t.Source(c.level, c.dest), c.source) << c.name;
    }
    CrosspointTable t;
    const CrosspointImport read =
        CrosspointText::Import("L1,0001,S5\r\nL1,0002,\r\nL9,0001,S1\r\nS1,,,A\r\n", &t);
    EXPECT_EQ(read.cells, 2);
    EXPECT_EQ(read.routed, 1);
}

// The list made of the crosspoint file `xpt` (null: no file) over a previous list: its code and the list.
using Made = std::pair<int, QByteArray>;
Made ListOf(const QByteArray& xpt) {
    test::TestFolder dir;
    if (!xpt.isNull())
        dir.Write("ZEBU_XPT.DAU", xpt);
    dir.Write("ZEBU_XPT.MKE", "previous");
    const int code = MakeCrosspointList(dir.FilePath("ZEBU_XPT.DAU"), dir.FilePath("ZEBU_XPT.MKE"));
    return {code, dir.Read("ZEBU_XPT.MKE")};
}

TEST(CrosspointList, compactListOfTheGoldenTableMatchesItsGoldenFile) {
    const auto [code, list] = ListOf(test::FixtureCrosspoints().SaveDau());
    ASSERT_EQ(code, kListOk);
    EXPECT_TRUE(test::MatchesGolden("ZEBU_XPT.MKE", list));
}

// (level 1..8, destination 1..1024, source)
using Route = std::tuple<int, int, int>;

QByteArray CrosspointFile(const std::vector<Route>& routes) {
    QByteArray img(16384, '\0');
    for (const auto& [level, dest, source] : routes) {
        const int half = dest > 512 ? 1 : 0;
        const int d = dest - 512 * half - 1;
        const int addr = 8192 * half + (8 * (level - 1) + d / 64) * 128 + (d % 64) * 2;
        img[addr] = static_cast<char>(source >> 8);
        img[addr + 1] = static_cast<char>(source & 0xFF);
    }
    return image::Encode(img);
}

struct ListCase {
    const char* name;
    std::vector<Route> routes;
    QByteArray list;
};

TEST(MakeCrosspointList, writesOneRecordPerSourceAndDestinationWithItsLevelMask) {
    const ListCase cases[] = {
        {"same source on levels 1, 2 and 4", {{1, 300, 5}, {2, 300, 5}, {4, 300, 5}}, "0B2C1005\r\n"},
        {"second half, level 8 only", {{8, 513, 1}}, "80012001\r\n"},
        {"different sources on two levels give two records",
         {{1, 1, 7}, {3, 1, 9}},
         "01010007"
         "04010009\r\n"},
        {"records follow destinations in each half, then levels",
         {{2, 513, 3}, {1, 2, 4}, {5, 1, 1024}},
         "10010400"
         "01020004"
         "02012003\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ListOf(CrosspointFile(c.routes)), Made(kListOk, c.list)) << c.name;
}

TEST(MakeCrosspointList, breaksLinesAfter32Records) {
    std::vector<Route> routes;
    for (int d = 1; d <= 33; ++d)
        routes.emplace_back(1, d, d);
    const auto [code, list] = ListOf(CrosspointFile(routes));
    ASSERT_EQ(code, kListOk);
    EXPECT_EQ(list.mid(32 * 8, 2), "\r\n");
    EXPECT_EQ(list.mid(32 * 8 + 2), "01210021\r\n");
}

// An empty table writes no list (5) and a missing input none either (3); a file cut short or holding a
// source too large for the list gives what it holds.
TEST(MakeCrosspointList, emptyMissingOrDamagedInput) {
    const QByteArray damaged = CrosspointFile({{1, 1, 5}, {1, 2, 0xFFFF}}).left(258);
    const struct {
        const char* name;
        QByteArray input; // null: no file
        int code;
        QByteArray list; // null: the previous one stays
    } cases[] = {
        {"empty table", CrosspointFile({}), kListWriteFailed, {}},
        {"missing input", {}, kListCannotOpen, {}},
        {"only the first line, one source too large", damaged, kListOk, "01010005\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ListOf(c.input), Made(c.code, c.list.isNull() ? "previous" : c.list)) << c.name;
}

TEST(TmTableRemote, namesToSecondaryStationsAreSentOnlyWhenTheirFilesLoad) {
    test::TestFolder dir;
    const SetupRecord s = test::SetupAt(dir.Path());
    TmTableRemote remote;
    EXPECT_EQ(remote.PrepareSendFile(s, 4, 2, 7).size, 0);
    EXPECT_EQ(remote.PrepareSendFile(s, 5, 2, 0).size, 0);

    dir.Write("Name/ZEBU_NME.DAU", test::ReadTestData("convert/ZEBU_NME.DAU"));
    const FileTarget names = remote.PrepareSendFile(s, 4, 2, 7);
    EXPECT_EQ(names.path, dir.FilePath("Name/ZEBU_NME.DAU"));
    EXPECT_EQ(names.size, 71742);
    EXPECT_EQ(remote.Tables().Descriptions().At(Side::Source, 1).Text(), "VTR-A");

    // Only alias file 3 is there: it is sent, and the other tables go out empty.
    remote.Tables().Aliases().Table(1).At(Side::Source, 1).SetText("STALE");
    AliasTables aliases;
    aliases.Table(3).At(Side::Destination, 5).SetText("THREE");
    dir.Write("Name/ZEBU_ALS3.DAU", aliases.SaveDau(3));
    const FileTarget alias = remote.PrepareSendFile(s, 5, 2, 0);
    EXPECT_EQ(alias.path, dir.FilePath("Name/ZEBU_ALS1.DAU"));
    EXPECT_EQ(alias.size, 66048);
    EXPECT_TRUE(remote.Tables().Aliases().Table(1).At(Side::Source, 1).IsEmpty());
    EXPECT_EQ(remote.Tables().Aliases().Table(3).At(Side::Destination, 5).Text(), "THREE");
}

TEST(TmTableRemote, receiveTargetsFollowTheFolderLayout) {
    test::TestFolder dir;
    const SetupRecord s = test::SetupAt(dir.Path());
    TmTableRemote t;
    struct Case {
        int kind, station, code;
        const char* path;
        qint64 size;
    } cases[] = {
        {0, 1, 1, "Primary/ZEBU_STD.DAU", 33024}, {0, 1, 4, "Primary/ZEBU_GPH.DAU", 90322},
        {1, 1, 7, "Name/ZEBU_NME.DAU", 71742},    {4, 9, 7, "Name/ZEBU_NME.DAU", 71742},
        {2, 1, 2, "XPoint/ZEBU_XPT.DAU", 33024},  {3, 42, 8, "ZEBU_042.DAT", 5222},
        {5, 9, 0, "Name/ZEBU_ALS1.DAU", 0},
    };
    for (const auto& c : cases) {
        const FileTarget f = t.ReceiveTarget(s, c.kind, c.station, c.code);
        EXPECT_EQ(f.path, dir.FilePath(QString::fromLatin1(c.path))) << c.path;
        EXPECT_EQ(f.size, c.size) << c.path;
    }
}

TEST(TmTableRemote, foldersAreFoundWithoutRegardToCaseAndCreatedWithTheirOwnSpelling) {
    test::TestFolder dir;
    dir.Write("NAME/zebu_nme.dau", "x");
    const SetupRecord s = test::SetupAt(dir.FilePath("backup"));
    const SetupRecord copied = test::SetupAt(dir.Path());
    TmTableRemote t;
    EXPECT_EQ(t.ReceiveTarget(copied, 1, 1, 7).path, dir.FilePath("NAME/zebu_nme.dau"));
    ASSERT_TRUE(t.EnsureSetupFolders(s));
    for (const char* f : {"backup/Primary", "backup/Name", "backup/XPoint"})
        EXPECT_TRUE(dir.Exists(QString::fromLatin1(f))) << f;
    ASSERT_TRUE(t.EnsureStationFolder(s, 7));
    EXPECT_TRUE(dir.Exists("backup/ZEBU_007"));
}

TEST(TmTableRemote, sendFilesMustHaveTheirExactSize) {
    test::TestFolder dir;
    const SetupRecord s = test::SetupAt(dir.Path());
    TmTableRemote t;
    struct Case {
        const char* file;
        int size;
        int kind, code;
        bool sendable;
    } cases[] = {
        {"Primary/ZEBU_STD.DAU", 33024, 0, 1, true}, {"Primary/ZEBU_STD.DAU", 33023, 0, 1, false},
        {"Primary/ZEBU_TLN.DAU", 2064, 0, 3, true},  {"Primary/ZEBU_TLN.DAU", 1033, 0, 3, false},
        {"Primary/ZEBU_TLN.DAU", 1032, 0, 3, true},  {"Name/ZEBU_NME.DAU", 71742, 1, 7, true},
        {"Name/ZEBU_NME.DAU", 71743, 1, 7, false},   {"ZEBU_005.DAT", 17, 3, 8, true},
    };
    for (const auto& c : cases) {
        dir.Write(QString::fromLatin1(c.file), QByteArray(c.size, '0'));
        const FileTarget f = t.PrepareSendFile(s, c.kind, 5, c.code);
        EXPECT_EQ(f.path, dir.FilePath(QString::fromLatin1(c.file))) << c.file << " " << c.size;
        EXPECT_EQ(f.size, c.sendable ? c.size : 0) << c.file << " " << c.size;
    }
    EXPECT_EQ(t.PrepareSendFile(s, 0, 1, 9).size, 0) << "missing file";
    EXPECT_EQ(t.PrepareSendFile(s, 3, 6, 8).size, 0) << "missing station file";
}

TEST(TmTableRemote, crosspointSendOffersTheCompactListMadeFromTheTable) {
    test::TestFolder dir;
    const SetupRecord s = test::SetupAt(dir.Path());
    TmTableRemote t;
    EXPECT_EQ(t.PrepareSendFile(s, 2, 1, 2).size, 0) << "no crosspoint file";

    dir.Write("XPoint/ZEBU_XPT.DAU", CrosspointTable().SaveDau());
    EXPECT_EQ(t.PrepareSendFile(s, 2, 1, 2).size, 0) << "nothing routed";

    CrosspointTable routed;
    routed.SetSource(1, 1, 5);
    dir.Write("XPoint/ZEBU_XPT.DAU", routed.SaveDau());
    const FileTarget f = t.PrepareSendFile(s, 2, 1, 2);
    EXPECT_EQ(f.path, dir.FilePath("XPoint/ZEBU_XPT.MKE"));
    EXPECT_EQ(f.size, 33024);
    EXPECT_EQ(dir.Read("XPoint/ZEBU_XPT.MKE"), "01010005\r\n");
}

TEST(TmTableRemote, dataTypeOfFileName) {
    EXPECT_EQ(TmTableRemote::DataTypeOfFileName("zebu_idx.dau"), 15);
    for (const char* none : {"ZEBU_ALS1.DAU", "NONE.DAU", ""})
        EXPECT_EQ(TmTableRemote::DataTypeOfFileName(none), 0) << none;
}

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

TEST(ConvertCommands, refusalsUsageErrorsAndUnreadableFilesWriteNothing) {
    Cli c;
    const QByteArray nme = c.dir.Read("Name/ZEBU_NME.DAU");
    const QByteArray alias = c.dir.Read("Name/ZEBU_ALS1.DAU");
    const QByteArray xpt = c.dir.Read("XPoint/ZEBU_XPT.DAU");
    c.dir.Write("d.csv", "S1,,,OK,NEW\r\nD2,,,TAB\tX\r\n");
    EXPECT_EQ(c.Import({"description", c.dir.FilePath("d.csv")}), 1);
    EXPECT_TRUE(c.err.contains("error(L1026): Declaration syntax error.")) << c.err.toStdString();

    const QStringList usage[] = {{}, {"description"}, {"names", "x.csv"}, {"crosspoint", "a", "b"}};
    for (const QStringList& words : usage) {
        EXPECT_EQ(c.Export(words), 2) << words.join(' ').toStdString();
        EXPECT_EQ(c.Import(words), 2) << words.join(' ').toStdString();
    }
    EXPECT_EQ(c.Import({"crosspoint", c.dir.FilePath("none.csv")}), 1);
    EXPECT_EQ(c.Import({"description", c.dir.FilePath("none.csv")}), 1);
    c.dir.Write("blocker", "a file where a folder would be needed");
    EXPECT_EQ(c.Export({"crosspoint", c.dir.FilePath("blocker/x.csv")}), 1);
    EXPECT_EQ(c.dir.Read("XPoint/ZEBU_XPT.DAU"), xpt);
    EXPECT_EQ(c.dir.Read("Name/ZEBU_NME.DAU"), nme);
    EXPECT_EQ(c.dir.Read("Name/ZEBU_ALS1.DAU"), alias);
    EXPECT_FALSE(c.dir.Exists("Name/ZEBU_NME.CSV"));
}

} // namespace
} // namespace qdv
