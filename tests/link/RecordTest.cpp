#include "link/Record.h"
#include "base/CatalogueCodes.h"

#include <gtest/gtest.h>

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
    const QByteArray menu = BuildRequest('8', 0x01, '1', true);
    EXPECT_EQ(menu.mid(9, 6), "0015C0");
    const QByteArrayView seq = AttentionSequence();
    ASSERT_EQ(seq.size(), 26);
    EXPECT_EQ(seq.first(7), QByteArrayView("\x17\x04\x04\x05\x05\x02\x16"));
    EXPECT_EQ(seq.sliced(7), FixedRecord(Fixed::Attention));
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
    }
    Parser p;
    FeedAll(p, rec);
    EXPECT_EQ(View(p.Record()).HData(), QByteArrayView(data));
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

} // namespace
} // namespace qdv::record
