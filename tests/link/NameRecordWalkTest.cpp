#include "link/NameRecordWalk.h"
#include "convert/AliasTables.h"
#include "convert/DescriptionTable.h"

#include <gtest/gtest.h>

#include <vector>

namespace qdv {
namespace {

std::vector<QByteArray> Walk(NameRecordWalk walk) {
    std::vector<QByteArray> out;
    while (walk.HasMore())
        out.push_back(walk.NextPayload());
    return out;
}

QByteArray Bytes(std::initializer_list<int> b) {
    QByteArray out;
    for (int v : b)
        out.append(static_cast<char>(v));
    return out;
}

QByteArray Name(const char* text) {
    QByteArray n(text);
    n.resize(16, '\0');
    return n;
}

constexpr int kHeader = 6;
constexpr int kBlock = 22;

QByteArray BlockOf(const QByteArray& payload, int i) {
    return payload.mid(kHeader + kBlock * i, kBlock);
}

TEST(NameRecordWalk, descriptionsSourcesThenDestinationsFiveBlocksARecord) {
    DescriptionTable d;
    d.At(Side::Source, 1).SetText("SRC-1");
    d.At(Side::Destination, 1).SetText("DST-1");
    d.At(Side::Destination, 1024).SetText("DST-1024");
    const auto recs = Walk(NameRecordWalk(d, 12));
    ASSERT_EQ(recs.size(), 410u); // 2048 blocks
    EXPECT_EQ(recs[0].left(kHeader), Bytes({12, 0xCC, 0x01, 0x31, 12, 0x00}));
    EXPECT_EQ(recs[0].size(), kHeader + 5 * kBlock);
    EXPECT_EQ(BlockOf(recs[0], 0), Bytes({0, 0, 0x00, 0x01, 0x00, 0x01}) + Name("SRC-1"));
    EXPECT_EQ(BlockOf(recs[0], 4).left(6), Bytes({0, 0, 0x00, 0x01, 0x00, 0x05}));
    // Block 1024 is destination 1, in the second half.
    EXPECT_EQ(BlockOf(recs[204], 4), Bytes({0, 0, 0x80, 0x01, 0x00, 0x01}) + Name("DST-1"));
    const QByteArray& last = recs.back();
    EXPECT_EQ(last.left(kHeader), Bytes({12, 0x8C, 0x01, 0x31, 12, 0x00}));
    EXPECT_EQ(last.size(), kHeader + 3 * kBlock);
    EXPECT_EQ(BlockOf(last, 2), Bytes({0, 0, 0x80, 0x01, 0x04, 0x00}) + Name("DST-1024"));
    for (std::size_t i = 0; i + 1 < recs.size(); ++i)
        ASSERT_EQ(static_cast<unsigned char>(recs[i][1]), 0xCC) << i;
}

TEST(NameRecordWalk, aliasesSevenLevelsPerTerminalAndBroadcastHeader) {
    AliasTables a;
    a.Table(1).At(Side::Source, 1).SetText("A1");
    a.Table(7).At(Side::Source, 1).SetText("A7");
    a.Table(3).At(Side::Destination, 2).SetText("D2L3");
    const auto recs = Walk(NameRecordWalk(a, 255));
    ASSERT_EQ(recs.size(), 2868u); // 14336 blocks, the last record holds one
    EXPECT_EQ(recs[0].left(kHeader), Bytes({255, 0xCC, 0x01, 0x31, 255, 0xFF}));
    EXPECT_EQ(BlockOf(recs[0], 0), Bytes({0, 0, 0x00, 0x02, 0x00, 0x01}) + Name("A1"));
    EXPECT_EQ(BlockOf(recs[0], 4).left(4), Bytes({0, 0, 0x00, 0x20}));
    EXPECT_EQ(BlockOf(recs[1], 1), Bytes({0, 0, 0x00, 0x80, 0x00, 0x01}) + Name("A7"));
    EXPECT_EQ(BlockOf(recs[1], 2).left(6), Bytes({0, 0, 0x00, 0x02, 0x00, 0x02})) << "source 2, level 1";
    // Destination 2, level 3: block 7 * (1024 + 1) + 2.
    const int block = 7 * 1025 + 2;
    EXPECT_EQ(BlockOf(recs[static_cast<std::size_t>(block / 5)], block % 5),
              Bytes({0, 0, 0x80, 0x08, 0x00, 0x02}) + Name("D2L3"));
    EXPECT_EQ(recs.back().left(2), Bytes({255, 0x8C}));
    EXPECT_EQ(recs.back().size(), kHeader + kBlock);
    EXPECT_EQ(BlockOf(recs.back(), 0).left(6), Bytes({0, 0, 0x80, 0x80, 0x04, 0x00}));
}

} // namespace
} // namespace qdv
