#include "base/MessageCatalogue.h"

#include <gtest/gtest.h>

namespace qdv {
namespace {

TEST(MessageCatalogue, textsOfBothLanguagesAndUnknownCodes) {
    struct Case {
        int code;
        QString text;
    };
    const Case cases[] = {
        {1319, "Error(Communication line.)"},
        {319, QStringLiteral("\u901A\u4FE1\u56DE\u7DDA\u7570\u5E38")},
        {1101, "QDV-70 has already been activated."},
        {101, QStringLiteral("QDV-70\u306F\u65E2\u306B\u8D77\u52D5\u3057\u3066\u3044\u307E\u3059")},
        {1103, "Do you quit the application?"},
        {1305, "Error(Packet size over.)"},
        {1406, "ReqBackupReadyRes OK"},
        {1409, "FTP OK."},
        {1100, "Routing Switcher System Backup Software"},
        {100, "Routing Switcher System Backup Software"},
        {2319, ""},
        {0, ""},
        {1000, ""},
        {-1, ""},
        {99, ""},
        {113, ""},
        {1113, ""},
        {322, ""},
        {410, ""},
        {1410, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MessageText(c.code), c.text) << c.code;
}

TEST(MessageCatalogue, everyCodeHasTextsInBothLanguages) {
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
}

} // namespace
} // namespace qdv
