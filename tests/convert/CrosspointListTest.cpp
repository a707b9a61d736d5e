#include "convert/CrosspointList.h"
#include "store/DataImage.h"
#include "support/TestFolder.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace qdv {
namespace {

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
