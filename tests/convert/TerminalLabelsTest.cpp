#include "convert/TerminalLabels.h"
#include "ConvertFixture.h"
#include "store/DataImage.h"

#include <gtest/gtest.h>

namespace qdv {
namespace {

TEST(TerminalLabels, entriesDecodeInBothNumberingForms) {
    struct Case {
        const char* name;
        int j;
        bool flag;
        unsigned char b[4];
        int type, number, second;
    } cases[] = {
        {"source 300, packed decimal", 299, false, {0x13, 0x45, 0x00, 0x00}, 1, 345, 0},
        {"source 300, binary with the flag set", 299, true, {0x13, 0x45, 0x00, 0x00}, 1, 837, 0},
        {"bit 3 selects types 17..32", 299, true, {0x1B, 0x45, 0x00, 0x00}, 17, 0x345, 0},
        {"second half is binary whatever the flag", 700, false, {0xF9, 0xFF, 0x00, 0x00}, 31, 0x1FF, 0},
        {"second number keeps 12 bits", 0, false, {0x00, 0x00, 0xF1, 0x23}, 0, 0, 0x123},
        {"packed digits above 9 still count", 0, false, {0x0F, 0xFF, 0x00, 0x00}, 0, 1665, 0},
    };
    for (const Case& c : cases) {
        const TerminalLabel l = TerminalLabels::DecodeEntry(c.j, c.flag, c.b);
        EXPECT_EQ(l.typeIndex, c.type) << c.name;
        EXPECT_EQ(l.number, c.number) << c.name;
        EXPECT_EQ(l.secondNumber, c.second) << c.name;
    }
}

TEST(TerminalLabels, flagAtByte253OfTheSecondHalfSwitchesTheFirstHalfToBinary) {
    QByteArray img = image::Decode(test::FixtureStdText(), 16384);
    img[8192 + 253] = 1;
    TerminalLabels t;
    t.Build(test::FixtureStdText());
    EXPECT_FALSE(t.NumberingFlag());
    EXPECT_EQ(t.Label(Side::Source, 300).numberText, "345");
    EXPECT_EQ(t.Label(Side::Source, 300).secondNumber, 0x123);
    EXPECT_EQ(t.Label(Side::Source, 5).secondNumber, 42)
        << "a terminal without label keeps its second number";
    t.Build(image::Encode(img));
    EXPECT_TRUE(t.NumberingFlag());
    EXPECT_EQ(t.Label(Side::Source, 300).numberText, "837");
    EXPECT_EQ(t.Label(Side::Source, 513).numberText, "261");
}

TEST(TerminalLabels, shortFileLoadsWhatItHoldsAndLeavesTheRestEmpty) {
    const QByteArray full = test::FixtureStdText();
    // Cut inside source 300's entry (bytes 1452..1455): its first two bytes are there, the rest not.
    const qsizetype cut = image::CharOffsetOfByte(1454);
    TerminalLabels t;
    t.Build(full.left(cut));
    EXPECT_EQ(t.TypeName(1), "CAM ");
    EXPECT_EQ(t.Label(Side::Source, 2).numberText, "012");
    EXPECT_TRUE(t.Label(Side::Source, 300).IsEmpty());
    EXPECT_TRUE(t.TypeName(17).isEmpty());
    EXPECT_TRUE(t.Label(Side::Destination, 1).IsEmpty());

    t.Build(QByteArray("1"));
    EXPECT_TRUE(t.TypeName(0).isEmpty());
    EXPECT_TRUE(t.Label(Side::Source, 1).IsEmpty());
}

} // namespace
} // namespace qdv
