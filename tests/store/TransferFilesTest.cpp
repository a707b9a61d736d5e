#include "store/DataImage.h"
#include "store/ReceivedFileWriter.h"
#include "store/SendFileReader.h"
#include "support/TestFolder.h"

#include <gtest/gtest.h>

namespace qdv {
namespace {

const QByteArray kFiller = QByteArray(256, '0') + "\r\n";

struct Writer {
    ReceivedFileWriter w;
    QString target;
    QString work;
    explicit Writer(const test::TestFolder& dir, const QString& name)
        : target(dir.FilePath(name)), work(ReceivedFileWriter::WorkFileOf(dir.FilePath(name))) {}
    bool Put(bool first, const QByteArray& hdata, qint64 oset, bool last, bool pad = false) {
        return w.WriteReceivedData(first, pad, static_cast<int>(hdata.size() / 2), hdata.constData(), oset,
                                   work, target, last);
    }
};

TEST(ReceivedFileWriter, paddingCompletesA16384ByteImage) {
    test::TestFolder dir;
    Writer w(dir, "ZEBU_XPT.DAU");
    ASSERT_TRUE(w.Put(true, QByteArray(256, 'F'), 0, false));
    // Last packet ends at byte 8000 of the image.
    ASSERT_TRUE(w.Put(false, QByteArray(2 * 64, 'F'), 7936, true, true));
    const QByteArray file = dir.Read("ZEBU_XPT.DAU");
    EXPECT_EQ(w.w.ByteCount(), 16384 + 64);
    EXPECT_TRUE(file.endsWith(kFiller));
    // first line, 61 filler lines up to byte 7936, the last packet, 66 padding lines
    EXPECT_EQ(file.count('\n'), 1 + 61 + 1 + 66);
}

TEST(ReceivedFileWriter, refusesPacketsWithoutAStartAndCreatesAMissingFolder) {
    test::TestFolder dir;
    Writer orphan(dir, "ZEBU_STD.DAU");
    EXPECT_FALSE(orphan.Put(false, "00", 0, true));
    EXPECT_FALSE(dir.Exists("ZEBU_STD.DAU"));
    Writer w(dir, "gone/XPoint/ZEBU_XPT.DAU");
    ASSERT_TRUE(w.Put(true, "00", 0, true));
    EXPECT_EQ(dir.Read("gone/XPoint/ZEBU_XPT.DAU"), "00\r\n");
}

TEST(SendFileReader, refusesMissingAndOversizedFiles) {
    test::TestFolder dir;
    SendFileReader r;
    EXPECT_FALSE(r.LoadSendFile(dir.FilePath("missing")));
    dir.Write("big", QByteArray(SendFileReader::kBufferSize + 1, '0'));
    EXPECT_FALSE(r.LoadSendFile(dir.FilePath("big")));
    EXPECT_EQ(r.ChunkCount(), 0);
    EXPECT_FALSE(r.HasMore());
}

TEST(DataImage, byteAddressesMapToCharacterOffsets) {
    EXPECT_EQ(image::CharOffsetOfByte(0), 0);
    EXPECT_EQ(image::CharOffsetOfByte(127), 254);
    EXPECT_EQ(image::CharOffsetOfByte(128), 258);
    EXPECT_EQ(image::CharOffsetOfByte(8191), 63 * 258 + 254);
    EXPECT_EQ(image::CharOffsetOfByte(8192 + 253), 65 * 258 + 250);
}

TEST(DataImage, firstDifferingByteIsTheImageAddressOfTheFirstDifferentCharacter) {
    QByteArray image(300, '\x5A');
    const QByteArray text = image::Encode(image);
    struct Case {
        qsizetype changedChar; // -1: equal texts
        std::int64_t address;
    };
    // High and low digit of a byte, the first byte of the second line, a line end, a text cut short.
    const Case cases[] = {{-1, -1}, {0, 0}, {3, 1}, {257, 128}, {258, 128}, {258 + 255, 255}};
    for (const Case& c : cases) {
        QByteArray other = text;
        if (c.changedChar >= 0)
            other[c.changedChar] = other[c.changedChar] == '0' ? '1' : '0';
        EXPECT_EQ(image::FirstDifferingByte(text, other), c.address) << c.changedChar;
        EXPECT_EQ(image::FirstDifferingByte(other, text), c.address) << c.changedChar;
    }
    EXPECT_EQ(image::FirstDifferingByte(text, text.left(258 * 2 + 10)), 256 + 5);
}

TEST(DataImage, encodeThenDecodeRoundTripsWithShortLastLineAndReadsHexInEitherCase) {
    QByteArray img(300, '\0');
    for (int i = 0; i < img.size(); ++i)
        img[i] = static_cast<char>(i * 7);
    const QByteArray text = image::Encode(img);
    // Two full lines and a line of 44 bytes.
    EXPECT_EQ(text.size(), 2 * 258 + 88 + 2);
    EXPECT_TRUE(text.endsWith("\r\n"));
    EXPECT_EQ(image::Decode(text, 300), img);
    EXPECT_EQ(image::Decode(text.toLower(), 300), img);
    // A short text leaves the rest zero.
    EXPECT_EQ(image::Decode("0102", 4), QByteArray::fromHex("01020000"));
}

} // namespace
} // namespace qdv
