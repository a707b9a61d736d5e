#include "link/Record.h"
#include "base/CatalogueCodes.h"
#include "convert/AliasTables.h"
#include "convert/DescriptionTable.h"
#include "link/NameRecordWalk.h"

#include <gtest/gtest.h>

#include <vector>

namespace qdv::record {
namespace {

Parser::Status FeedAll(Parser& p, QByteArrayView bytes) {
    Parser::Status st = Parser::Status::NotStart;
    for (char ch : bytes)
        st = p.Feed(ch);
    return st;
}

struct FixedCase {
    Fixed which;
    const char* text;
};

TEST(Record, everyFixedRecordCarriesItsOwnChecksum) {
    const FixedCase cases[] = {
        {Fixed::Attention, ":0000000000000000\r\n"}, {Fixed::Ready, ":00000100000000FF\r\n"},
        {Fixed::Unused3, ":000E0000000000F2\r\n"},   {Fixed::EndOfTransfer, ":000E0100000000F1\r\n"},
        {Fixed::Abort, ":000F0000000000F1\r\n"},     {Fixed::Unused6, ":000F0100000000F0\r\n"},
        {Fixed::Apply, ":000A0000000000F6\r\n"},
    };
    for (const auto& c : cases) {
        const QByteArrayView rec = FixedRecord(c.which);
        EXPECT_EQ(rec, QByteArrayView(c.text)) << c.text;
        Parser p;
        EXPECT_EQ(FeedAll(p, rec), Parser::Status::Complete) << c.text;
    }
}

TEST(Record, builtRecordsByteForByte) {
    // Packet number and command enter as separate nibbles.
    EXPECT_EQ(Build(3, '2', 0, '0', 0, {}), QByteArray(":00320000000000FB\r\n"));
    EXPECT_EQ(BuildRequest('8', 0x01, '7'), QByteArray(":00080107000000") + "F0\r\n");
    EXPECT_EQ(BuildRequest('9', 0x05, '8').size(), 19);
    // The station menu asks for its data from offset 0x15C0.
    EXPECT_EQ(BuildRequest('8', 0x01, '1', true).mid(9, 6), "0015C0");
    EXPECT_EQ(AttentionSequence(), QByteArrayView("\x17\x04\x04\x05\x05\x02\x16:0000000000000000\r\n"));
}

TEST(Record, fullDataRecordIs275BytesAndParsesBackInEitherCase) {
    const QByteArray data(256, 'A');
    const QByteArray rec = Build(0xF, '2', 0x01, '1', 0x3FAB, data);
    ASSERT_EQ(rec.size(), kMaxLength);
    for (const QByteArray& bytes : {rec, rec.toLower()}) {
        Parser p;
        ASSERT_EQ(FeedAll(p, bytes), Parser::Status::Complete) << bytes.left(15).constData();
        const View v(p.Record());
        EXPECT_EQ(v.Dlen(), 128);
        EXPECT_EQ(v.Pn(), 15);
        EXPECT_EQ(v.Cmd(), '2');
        EXPECT_EQ(v.Id(), 1);
        EXPECT_EQ(v.DataType(), '1');
        EXPECT_EQ(v.Oset(), 0x3FABu);
        EXPECT_EQ(v.HData(), bytes.sliced(kHeaderLength, data.size()));
    }
}

struct Refusal {
    const char* name;
    QByteArray bytes;
    int code;
    int fedBeforeRefusal; // bytes taken up to and including the refusing one
};

TEST(Record, parserRefusesBadRecordsWithTheirCodes) {
    QByteArray badCs = Build(0, '2', 1, '1', 0, "00");
    badCs[17] = badCs[17] == '0' ? '1' : '0';
    QByteArray badEnd = Build(0, '2', 1, '1', 0, "00");
    badEnd[19] = 'X';
    const Refusal cases[] = {
        {"DLEN 0x81 refused before any data", ":81000000000000", msg::kBadPacketSize, 15},
        {"line feed in the header", ":0000\n", msg::kBadPacketSize, 6},
        {"checksum mismatch", badCs, msg::kBadChecksum, 21},
        {"record not ended by CR LF", badEnd, msg::kBadCrLf, 21},
    };
    for (const auto& c : cases) {
        Parser p;
        int fed = 0;
        Parser::Status st = Parser::Status::NotStart;
        for (char ch : c.bytes) {
            ++fed;
            st = p.Feed(ch);
            if (st == Parser::Status::Error)
                break;
        }
        EXPECT_EQ(st, Parser::Status::Error) << c.name;
        EXPECT_EQ(p.ErrorCode(), c.code) << c.name;
        EXPECT_EQ(fed, c.fedBeforeRefusal) << c.name;
        EXPECT_TRUE(p.Hunting()) << c.name;
    }
}

std::vector<QByteArray> Walk(NameRecordWalk walk) {
    std::vector<QByteArray> out;
    while (walk.HasMore())
        out.push_back(walk.NextPayload());
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
    EXPECT_EQ(recs[0].left(kHeader), QByteArray::fromHex("0CCC01310C00"));
    EXPECT_EQ(recs[0].size(), kHeader + 5 * kBlock);
    EXPECT_EQ(BlockOf(recs[0], 0), QByteArray::fromHex("000000010001") + Name("SRC-1"));
    EXPECT_EQ(BlockOf(recs[0], 4).left(6), QByteArray::fromHex("000000010005"));
    // Block 1024 is destination 1, in the second half.
    EXPECT_EQ(BlockOf(recs[204], 4), QByteArray::fromHex("000080010001") + Name("DST-1"));
    const QByteArray& last = recs.back();
    EXPECT_EQ(last.left(kHeader), QByteArray::fromHex("0C8C01310C00"));
    EXPECT_EQ(last.size(), kHeader + 3 * kBlock);
    EXPECT_EQ(BlockOf(last, 2), QByteArray::fromHex("000080010400") + Name("DST-1024"));
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
    EXPECT_EQ(recs[0].left(kHeader), QByteArray::fromHex("FFCC0131FFFF"));
    EXPECT_EQ(BlockOf(recs[0], 0), QByteArray::fromHex("000000020001") + Name("A1"));
    EXPECT_EQ(BlockOf(recs[0], 4).left(4), QByteArray::fromHex("00000020"));
    EXPECT_EQ(BlockOf(recs[1], 1), QByteArray::fromHex("000000800001") + Name("A7"));
    EXPECT_EQ(BlockOf(recs[1], 2).left(6), QByteArray::fromHex("000000020002")) << "source 2, level 1";
    // Destination 2, level 3: block 7 * (1024 + 1) + 2.
    const int block = 7 * 1025 + 2;
    EXPECT_EQ(BlockOf(recs[static_cast<std::size_t>(block / 5)], block % 5),
              QByteArray::fromHex("000080080002") + Name("D2L3"));
    EXPECT_EQ(recs.back().left(2), QByteArray::fromHex("FF8C"));
    EXPECT_EQ(recs.back().size(), kHeader + kBlock);
    EXPECT_EQ(BlockOf(recs.back(), 0).left(6), QByteArray::fromHex("000080800400"));
}

} // namespace
} // namespace qdv::record
