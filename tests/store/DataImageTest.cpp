#include "store/DataImage.h"

#include <gtest/gtest.h>

namespace qdv {
namespace {

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
