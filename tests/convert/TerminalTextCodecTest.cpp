#include "convert/TerminalTextCodec.h"

#include <gtest/gtest.h>

namespace qdv {
namespace {

TEST(TerminalTextCodec, everyByteOfTheSetDecodesToItsCharacterAndBack) {
    for (int b = 0x01; b <= 0xFF; ++b) {
        const QByteArray bytes(1, static_cast<char>(b));
        const QString text = TerminalTextCodec::Decode(bytes);
        ASSERT_EQ(text.size(), 1);
        const char16_t u = text[0].unicode();
        if (b >= 0x20 && b <= 0x7E) {
            EXPECT_EQ(u, b);
        } else if (b >= 0xA1 && b <= 0xDF) {
            EXPECT_EQ(u, 0xFF61 + (b - 0xA1)) << b;
        } else {
            EXPECT_EQ(TerminalTextCodec::Display(bytes), QString(QChar(0xFFFD))) << b;
        }
        QByteArray back;
        ASSERT_TRUE(TerminalTextCodec::Encode(text, &back)) << b;
        EXPECT_EQ(back, bytes) << b;
    }
}

TEST(TerminalTextCodec, charactersOutsideTheSetAreRefusedNotChanged) {
    const struct {
        QString text;
        qsizetype refused;
    } cases[] = {
        {QStringLiteral("CAM 1"), -1},
        {QString::fromUtf8("\xEF\xBD\xB6\xEF\xBE\x92\xEF\xBE\x97"), -1}, // half-width "kamera"
        {QString::fromUtf8("CAM\xC3\xA9"), 3},                           // e acute
        {QString::fromUtf8("\xE3\x82\xAB"), 0},                          // full-width katakana
        {QStringLiteral("\tCAM"), 0},
        {QString(QChar(0xE000)), 0}, // a kept NUL would end the text
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TerminalTextCodec::FirstRefused(c.text), c.refused) << c.text.toStdString();
        QByteArray bytes = "untouched";
        EXPECT_EQ(TerminalTextCodec::Encode(c.text, &bytes), c.refused < 0);
        if (c.refused >= 0) {
            EXPECT_EQ(bytes, "untouched");
        }
    }
}

} // namespace
} // namespace qdv
