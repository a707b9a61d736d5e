#include "editors/CrosspointEditor.h"
#include "EditorRig.h"
#include "editors/LabelText.h"

#include <gtest/gtest.h>

namespace qdv {
namespace {

using test::EditorRig;
using test::ScriptedQuestions;

// Cells (level, destination) of the table that differ from `before`.
QList<std::pair<int, int>> Changed(const CrosspointTable& before, const CrosspointTable& after) {
    QList<std::pair<int, int>> cells;
    for (int l = 1; l <= CrosspointTable::kLevels; ++l)
        for (int d = 1; d <= kTerminalCount; ++d)
            if (before.Source(l, d) != after.Source(l, d))
                cells.append({l, d});
    return cells;
}

TEST(CrosspointEditor, routingAndClearingActOnRowsInRowModeAndOnTheRectangleInCellMode) {
    const struct {
        const char* name;
        int currentColumn;  // of the destination grid
        GridRect selection; // level cells (levels 0..7, destinations 0..1023)
        int currentRow;
        bool clear;
        int routedCells; // cells now holding source 2 (route) or 0 (clear)
    } cases[] = {
        {"Lv3 of destination 10 routes that cell only", 5, {2, 9, 1, 1}, 9, false, 1},
        {"number column of destination 5 routes all eight levels", 0, {0, 4, 8, 1}, 4, false, 8},
        {"Lv1..Lv2 of rows 1..3 clear six cells", 3, {0, 0, 2, 3}, 0, true, 6},
        {"row mode clears all levels of each selected row", 1, {0, 0, 8, 2}, 0, true, 16},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EditorRig rig;
        CrosspointTable& table = rig.tables->Crosspoints();
        for (int l = 1; l <= 8; ++l)
            for (int d = 1; d <= 16; ++d)
                table.SetSource(l, d, 900);
        const CrosspointTable before = table;
        CrosspointEditor editor(*rig.tables);
        editor.SetCurrentColumn(c.currentColumn);
        if (c.clear)
            editor.Clear(editor.ClearTarget(c.selection));
        else
            editor.Route(2, editor.RouteTarget(c.selection, c.currentRow));
        const auto changed = Changed(before, table);
        EXPECT_EQ(changed.size(), c.routedCells);
        for (const auto& [l, d] : changed) {
            EXPECT_EQ(table.Source(l, d), c.clear ? 0 : 2) << l << ',' << d;
        }
        if (!c.clear) {
            EXPECT_EQ(editor.LevelText(changed.front().first, changed.front().second), editor.SourceText(2));
        }
    }
}

TEST(CrosspointEditor, aSourceShowsItsDescriptionElseItsLabelElseItsSecondNumber) {
    EditorRig rig;
    CrosspointEditor editor(*rig.tables);
    ConversionTables& t = *rig.tables;
    int labelled = 0, bare = 0;
    for (int s = 1; s <= kTerminalCount; ++s) {
        const bool hasLabel = !LabelText(t.Labels().Label(Side::Source, s)).isEmpty();
        if (hasLabel && !labelled)
            labelled = s;
        if (!hasLabel && !bare)
            bare = s;
    }
    ASSERT_TRUE(labelled && bare);
    t.Descriptions().At(Side::Source, labelled).SetText("DESC");
    EXPECT_EQ(editor.SourceText(labelled), "DESC");
    t.Descriptions().At(Side::Source, labelled).Clear();
    EXPECT_EQ(editor.SourceText(labelled), LabelText(t.Labels().Label(Side::Source, labelled)));
    t.Descriptions().At(Side::Source, bare).Clear();
    EXPECT_EQ(editor.SourceText(bare), QByteArray::number(t.Labels().Label(Side::Source, bare).secondNumber));
    t.Crosspoints().SetSource(1, 1, 0);
    EXPECT_EQ(editor.LevelText(1, 1), "");
    EXPECT_EQ(editor.SourceText(4000), "4000"); // a damaged file's source beyond the last
}

TEST(CrosspointEditor, labelTextStandsInZerosForAMissingNumber) {
    EXPECT_EQ(LabelText({0, 0, 0, "VTR ", "012"}), "VTR 012");
    EXPECT_EQ(LabelText({0, 0, 0, "VTR ", ""}), "VTR 000");
    EXPECT_EQ(LabelText({0, 0, 0, "", "012"}), "012");
    EXPECT_EQ(LabelText({}), "");
}

TEST(CrosspointEditor, okWritesTheCsvAndTheDataFileAfterTheirQuestions) {
    const struct {
        const char* name;
        QList<bool> answers;
        bool closes, csvWritten, dauWritten;
    } cases[] = {
        {"no to the CSV question", {false}, false, false, false},
        {"no to the DAU question", {true, false}, false, true, false},
        {"yes to both", {true, true}, true, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EditorRig rig;
        const QByteArray before = rig.XptFile();
        CrosspointEditor editor(*rig.tables);
        editor.SetCurrentColumn(0);
        editor.Route(7, editor.RouteTarget({}, 99));
        ScriptedQuestions q(c.answers);
        const OkOutcome out = editor.Ok(rig.setup, q);
        EXPECT_EQ(out.close, c.closes);
        EXPECT_EQ(rig.dir.Exists("XPoint/ZEBU_XPT.CSV"), c.csvWritten);
        if (c.csvWritten) {
            EXPECT_TRUE(rig.dir.Read("XPoint/ZEBU_XPT.CSV").contains("\r\nL8,0100,S7\r\n"));
        }
        EXPECT_EQ(rig.XptFile() != before, c.dauWritten);
        if (c.dauWritten) {
            EXPECT_EQ(rig.XptFile(), rig.tables->Crosspoints().SaveDau());
        }
    }
}

} // namespace
} // namespace qdv
