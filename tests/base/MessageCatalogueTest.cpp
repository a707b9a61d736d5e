#include "base/MessageCatalogue.h"

#include <gtest/gtest.h>

namespace qdv {
namespace {

TEST(MessageCatalogue, everyCodeHasTextsInBothLanguagesAndOtherCodesNone) {
    EXPECT_EQ(MessageText(1319), "Error(Communication line.)");
    EXPECT_EQ(MessageText(319), QStringLiteral("\u901A\u4FE1\u56DE\u7DDA\u7570\u5E38"));
    const std::pair<int, int> ranges[] = {{100, 112}, {120, 134}, {300, 321}, {400, 409}};
    for (const auto& [first, last] : ranges) {
        for (int code = first; code <= last; ++code) {
            EXPECT_FALSE(MessageText(code).isEmpty()) << code;
            EXPECT_FALSE(MessageText(code + kEnglishOffset).isEmpty()) << code;
            // Only the title is the same in both languages.
            if (code != 100) {
                EXPECT_NE(MessageText(code), MessageText(code + kEnglishOffset)) << code;
            }
        }
    }
    EXPECT_EQ(MessageText(100), MessageText(1100));
    // Codes between and beyond the ranges have no text.
    for (const int code : {2319, 0, 1000, -1, 99, 113, 1113, 322, 410, 1410})
        EXPECT_EQ(MessageText(code), "") << code;
}

} // namespace
} // namespace qdv
