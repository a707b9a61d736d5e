#include "setups/SetupOptionText.h"
#include "setups/SetupList.h"

#include <gtest/gtest.h>

namespace qdv {
namespace {

TEST(SetupOptionText, primaryFiles) {
    struct Case {
        const char* text;
        int bits; // -1: refused
    };
    const Case cases[] = {
        {"all", 0xFF}, {"NONE", 0},   {"129", 0x81},      {"0x81", 0x81},
        {"256", -1},   {"STD", 0x01}, {"std, idx", 0x81}, {"ZEBU_422.DAU,TLN", 0x42},
        {"XPT", -1},   {"STD,", -1},  {"", -1},           {"-1", -1},
        {"12a", -1},
    };
    for (const Case& c : cases) {
        int bits = -7;
        QString error;
        const bool ok = SetupOptionText::ParsePrimaryFiles(QString::fromLatin1(c.text), &bits, &error);
        EXPECT_EQ(ok, c.bits >= 0) << c.text;
        EXPECT_EQ(ok ? bits : -1, c.bits) << c.text;
        EXPECT_EQ(error.isEmpty(), ok) << c.text;
    }
}

TEST(SetupOptionText, buttons) {
    struct Case {
        const char* text;
        bool ok;
        bool r = false, s = false, e = false;
        int rb = 0, sb = 0, eb = 0;
    };
    // The record starts with every tab offered and receive=F1+F2, send=all, edit=F2.
    const Case cases[] = {
        {"receive=off", true, false, true, true, 0x3, 0x3F, 0x2},
        {"receive=on,edit=none", true, true, true, true, 0x3, 0x3F, 0x0},
        {"send=F5+F6, edit=all", true, true, true, true, 0x3, 0x30, 0x3},
        {"Receive=F4", true, true, true, true, 0x8, 0x3F, 0x2},
        {"edit=3", true, true, true, true, 0x3, 0x3F, 0x3},
        {"send=0x21", true, true, true, true, 0x3, 0x21, 0x2},
        {"edit=F3", false},
        {"edit=4", false},
        {"receive=F1,view=on", false},
        {"receive", false},
        {"send=F1+", false},
        {"", false},
    };
    for (const Case& c : cases) {
        SetupRecord r;
        SetupList::SetNewSetupOptions(r);
        r.receiveButtons = 0x3;
        r.editButtons = 0x2;
        const SetupRecord before = r;
        QString error;
        EXPECT_EQ(SetupOptionText::ParseButtons(QString::fromLatin1(c.text), r, &error), c.ok) << c.text;
        if (!c.ok) {
            EXPECT_EQ(r, before) << c.text;
            EXPECT_FALSE(error.isEmpty()) << c.text;
            continue;
        }
        EXPECT_EQ((std::array{r.receiveAll, r.sendAll, r.editAll}), (std::array{c.r, c.s, c.e})) << c.text;
        EXPECT_EQ((std::array{r.receiveButtons, r.sendButtons, r.editButtons}),
                  (std::array{c.rb, c.sb, c.eb}))
            << c.text;
    }
}

} // namespace
} // namespace qdv
