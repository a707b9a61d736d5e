#include "convert/DescriptionText.h"
#include "ConvertFixture.h"
#include "convert/AliasTables.h"
#include "convert/DescriptionTable.h"
#include "convert/TerminalLabels.h"

#include <gtest/gtest.h>

namespace qdv {
namespace {

struct Plant {
    TerminalLabels labels;
    DescriptionTable descriptions;
    AliasTables aliases;

    Plant() {
        labels.Build(test::FixtureStdText());
        test::FillFixtureNames(&descriptions, &aliases);
    }
};

TEST(DescriptionText, longAndShortFormsMatchTheirGoldenFiles) {
    const Plant p;
    EXPECT_TRUE(test::MatchesGolden("description_long.csv",
                                    DescriptionText::LongForm(p.labels, p.descriptions, p.aliases)));
    EXPECT_TRUE(
        test::MatchesGolden("description_short.txt", DescriptionText::ShortForm(p.labels, p.descriptions)));
}

TEST(DescriptionText, exportImportExportGivesTheSameText) {
    const Plant p;
    const QByteArray first = DescriptionText::LongForm(p.labels, p.descriptions, p.aliases);
    DescriptionTable descriptions;
    AliasTables aliases;
    DescriptionText::Import(first, &descriptions, &aliases);
    EXPECT_EQ(DescriptionText::LongForm(p.labels, descriptions, aliases), first);
}

TEST(DescriptionText, importTakesDescriptionAndAliasesFromSAndDLines) {
    struct Case {
        const char* name;
        QByteArray text;
        Side side;
        int n;
        const char* description; // expected after import over "OLD" / alias 1 "OLD1" / alias 2 "OLD2"
        const char* alias1;
        const char* alias2;
    } cases[] = {
        {"spaces are dropped", "S5,VTR,005,CAM A,X\r\n", Side::Source, 5, "CAMA", "X", "OLD2"},
        {"three fields empty the description", "D7,VTR,007\r\n", Side::Destination, 7, "", "OLD1", "OLD2"},
        {"a trailing comma is no field", "D7,VTR,007,\r\n", Side::Destination, 7, "", "OLD1", "OLD2"},
        {"empty alias fields clear", "S5,,,D,,B\r\n", Side::Source, 5, "D", "", "B"},
        {"two fields change nothing", "S5,VTR\r\n", Side::Source, 5, "OLD", "OLD1", "OLD2"},
        {"line feeds alone end no line", "S5,VTR,005,NEW\nS6,A,B,C\n", Side::Source, 5, "OLD", "OLD1",
         "OLD2"},
        {"a last line without CR is ignored", "S4,A,B,C\r\nS5,VTR,005,NEW", Side::Source, 5, "OLD", "OLD1",
         "OLD2"},
        {"a line feed inside a line is dropped", "S5,VTR,005,N\nEW\r\n", Side::Source, 5, "NEW", "OLD1",
         "OLD2"},
        {"T lines are skipped", "T5,VTR,005,NEW\r\n", Side::Source, 5, "OLD", "OLD1", "OLD2"},
        {"terminal 0 is skipped", "S0,VTR,000,NEW\r\n", Side::Source, 5, "OLD", "OLD1", "OLD2"},
        {"terminal 1025 is skipped", "D1025,A,B,NEW\r\n", Side::Destination, 1024, "OLD", "OLD1", "OLD2"},
        {"last terminal", "D1024,A,B,NEW\r\n", Side::Destination, 1024, "NEW", "OLD1", "OLD2"},
        {"long texts are cut to 16", "S5,A,B,ABCDEFGHIJKLMNOPQRSTUVWXYZ,0123456789abcdefXYZ\r\n",
         Side::Source, 5, "ABCDEFGHIJKLMNOP", "0123456789abcdef", "OLD2"},
        {"an over-long line is read whole", "S5,A,B,NEW," + QByteArray(5000, 'x') + ",Y\r\nS6,A,B,C\r\n",
         Side::Source, 5, "NEW", "xxxxxxxxxxxxxxxx", "Y"},
    };
    for (const Case& c : cases) {
        DescriptionTable d;
        AliasTables a;
        d.At(c.side, c.n).SetText("OLD");
        a.Table(1).At(c.side, c.n).SetText("OLD1");
        a.Table(2).At(c.side, c.n).SetText("OLD2");
        DescriptionText::Import(c.text, &d, &a);
        EXPECT_EQ(d.At(c.side, c.n).Text(), c.description) << c.name;
        EXPECT_EQ(a.Table(1).At(c.side, c.n).Text(), c.alias1) << c.name;
        EXPECT_EQ(a.Table(2).At(c.side, c.n).Text(), c.alias2) << c.name;
    }
}

} // namespace
} // namespace qdv
