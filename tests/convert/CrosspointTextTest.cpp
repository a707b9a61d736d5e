#include "convert/CrosspointText.h"
#include "ConvertFixture.h"
#include "convert/CrosspointList.h"
#include "convert/CrosspointTable.h"
#include "store/DataImage.h"
#include "support/TestFolder.h"

#include <gtest/gtest.h>
#include <tuple>
#include <vector>

namespace qdv {
namespace {

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

TEST(CrosspointList, compactListOfTheGoldenTableMatchesItsGoldenFile) {
    test::TestFolder dir;
    dir.Write("ZEBU_XPT.DAU", test::FixtureCrosspoints().SaveDau());
    ASSERT_EQ(MakeCrosspointList(dir.FilePath("ZEBU_XPT.DAU"), dir.FilePath("ZEBU_XPT.MKE")), kListOk);
    EXPECT_TRUE(test::MatchesGolden("ZEBU_XPT.MKE", dir.Read("ZEBU_XPT.MKE")));
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
    for (const auto& c : cases) {
        test::TestFolder dir;
        dir.Write("ZEBU_XPT.DAU", CrosspointFile(c.routes));
        EXPECT_EQ(MakeCrosspointList(dir.FilePath("ZEBU_XPT.DAU"), dir.FilePath("ZEBU_XPT.MKE")), kListOk)
            << c.name;
        EXPECT_EQ(dir.Read("ZEBU_XPT.MKE"), c.list) << c.name;
    }
}

TEST(MakeCrosspointList, breaksLinesAfter32Records) {
    std::vector<Route> routes;
    for (int d = 1; d <= 33; ++d)
        routes.emplace_back(1, d, d);
    test::TestFolder dir;
    dir.Write("ZEBU_XPT.DAU", CrosspointFile(routes));
    ASSERT_EQ(MakeCrosspointList(dir.FilePath("ZEBU_XPT.DAU"), dir.FilePath("ZEBU_XPT.MKE")), kListOk);
    const QByteArray list = dir.Read("ZEBU_XPT.MKE");
    EXPECT_EQ(list.size(), 32 * 8 + 2 + 8 + 2);
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
    for (const auto& c : cases) {
        test::TestFolder dir;
        if (!c.input.isNull())
            dir.Write("ZEBU_XPT.DAU", c.input);
        dir.Write("ZEBU_XPT.MKE", "previous");
        EXPECT_EQ(MakeCrosspointList(dir.FilePath("ZEBU_XPT.DAU"), dir.FilePath("ZEBU_XPT.MKE")), c.code)
            << c.name;
        EXPECT_EQ(dir.Read("ZEBU_XPT.MKE"), c.list.isNull() ? "previous" : c.list) << c.name;
    }
}

} // namespace
} // namespace qdv
