#include "link/StatusBlock.h"
#include "base/MessageCatalogue.h"

#include <gtest/gtest.h>

#include <functional>

namespace qdv {
namespace {

// Line 2 carries either a text or the data of the record in flight; whichever was set last is what a
// reader sees, and a reader is told once that it changed. Each case starts from record data "0A0B".
TEST(StatusBlock, line2ShowsWhatWasSetLast) {
    const QByteArray longData(600, 'A');
    struct Case {
        const char* name;
        std::function<void(StatusBlock&)> set;
        QString shown;
    } cases[] = {
        {"record data", [](StatusBlock& s) { s.SetRecordData("0A0B0C"); }, "0A0B0C"},
        {"record data cut to the line's length", [&](StatusBlock& s) { s.SetRecordData(longData); },
         QString(StatusBlock::kLineLength, QLatin1Char('A'))},
        {"a message after record data", [](StatusBlock& s) { s.SetStatusLines(2, QString(), 319); },
         CatalogueText(319)},
        {"record data after a message",
         [](StatusBlock& s) {
             s.SetStatusLines(2, QString(), 319);
             s.SetRecordData("0C0D");
         },
         "0C0D"},
        {"a text after record data", [](StatusBlock& s) { s.SetLine2("FTP OK."); }, "FTP OK."},
        {"both lines cleared", [](StatusBlock& s) { s.SetStatusLines(0, QString(), 0); }, QString()},
        {"the block cleared", [](StatusBlock& s) { s.Clear(); }, QString()},
    };
    for (const Case& c : cases) {
        StatusBlock s;
        s.SetRecordData("0A0B");
        c.set(s);
        EXPECT_EQ(s.Line2(), c.shown) << c.name;
        QString taken;
        const bool changed = s.TakeLine2(&taken);
        EXPECT_EQ(taken, c.shown) << c.name;
        EXPECT_EQ(changed, QLatin1String(c.name) != QLatin1String("the block cleared")) << c.name;
        EXPECT_FALSE(s.TakeLine2(&taken)) << c.name;
    }
}

} // namespace
} // namespace qdv
