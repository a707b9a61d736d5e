#include "editors/EditBuffers.h"

#include <gtest/gtest.h>

namespace qdv {
namespace {

constexpr int kColumns = 8;
constexpr int kRows = 1024;

// A grid whose cells hold their own coordinates, "c<column>r<row>".
TextGrid Numbered() {
    TextGrid g(kColumns, kRows);
    for (int c = 0; c < kColumns; ++c)
        for (int r = 0; r < kRows; ++r)
            g.Set(c, r, "c" + QByteArray::number(c) + "r" + QByteArray::number(r));
    return g;
}

QByteArray Name(int c, int r) {
    return "c" + QByteArray::number(c) + "r" + QByteArray::number(r);
}

TEST(EditBuffers, pasteStopsAtTheFirstCellBeyondTheGridAndUndoTouchesOnlyWhatItWrote) {
    struct Case {
        const char* name;
        int column, row;  // where the 2 x 3 rectangle copied from (0,0) is pasted
        GridRect written; // cells the paste writes
    };
    const Case cases[] = {
        {"inside", 2, 10, {2, 10, 2, 3}},
        {"last row: only the top-left cell", 5, kRows - 1, {5, kRows - 1, 1, 1}},
        {"second-last row: the first column's two cells", 5, kRows - 2, {5, kRows - 2, 1, 2}},
        {"last column: the first column only", kColumns - 1, 7, {kColumns - 1, 7, 1, 3}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        TextGrid g = Numbered();
        EditBuffers b;
        b.Reset();
        b.Copy(g, {0, 0, 2, 3});
        EXPECT_EQ(b.Paste(g, k.column, k.row), k.written);
        for (int c = 0; c < kColumns; ++c)
            for (int r = 0; r < kRows; ++r) {
                const bool inside = k.written.Contains(c, r);
                ASSERT_EQ(g.At(c, r), inside ? Name(c - k.column, r - k.row) : Name(c, r)) << c << ',' << r;
            }
        b.Undo(g);
        for (int c = 0; c < kColumns; ++c)
            for (int r = 0; r < kRows; ++r) {
                ASSERT_EQ(g.At(c, r), Name(c, r)) << "after undo " << c << ',' << r;
            }
    }
}

// Every step of a session with the menu state it leaves and the text of two watched cells.
TEST(EditBuffers, cutUndoRedoCopyAndPasteFollowTheMenuRules) {
    TextGrid g = Numbered();
    EditBuffers b;
    b.Reset();
    enum Act { kNothing, kCut, kUndo, kRedo, kCopy, kPaste, kReset };
    struct Step {
        const char* name;
        Act act;
        GridRect rect; // of a cut or copy; a paste goes to its top-left cell
        EditMenuState menu;
        QByteArray cell11, cell44; // cells (1,1) and (4,4)
    };
    const EditMenuState start;
    const EditMenuState undoable{true, true, true, true, true, false};
    const EditMenuState redoable{true, true, true, true, false, true};
    const EditMenuState pastable{true, true, true, true, false, false};
    const Step steps[] = {
        {"start", kNothing, {}, start, Name(1, 1), Name(4, 4)},
        {"cut (1,1)-(2,2)", kCut, {1, 1, 2, 2}, undoable, "", Name(4, 4)},
        {"undo", kUndo, {}, redoable, Name(1, 1), Name(4, 4)},
        {"undo again does nothing", kUndo, {}, redoable, Name(1, 1), Name(4, 4)},
        {"redo", kRedo, {}, undoable, "", Name(4, 4)},
        {"copy discards the undo", kCopy, {4, 4, 1, 1}, pastable, "", Name(4, 4)},
        {"undo after copy does nothing", kUndo, {}, pastable, "", Name(4, 4)},
        {"paste at (1,1)", kPaste, {1, 1, 1, 1}, undoable, Name(4, 4), Name(4, 4)},
        {"undo the paste", kUndo, {}, redoable, "", Name(4, 4)},
        {"reset", kReset, {}, start, "", Name(4, 4)},
        {"paste with an empty buffer", kPaste, {1, 1, 1, 1}, start, "", Name(4, 4)},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        if (s.act == kCut)
            b.Cut(g, s.rect);
        else if (s.act == kUndo)
            b.Undo(g);
        else if (s.act == kRedo)
            b.Redo(g);
        else if (s.act == kCopy)
            b.Copy(g, s.rect);
        else if (s.act == kPaste)
            b.Paste(g, s.rect.column, s.rect.row);
        else if (s.act == kReset)
            b.Reset();
        EXPECT_EQ(b.Menu(), s.menu);
        EXPECT_EQ(g.At(1, 1), s.cell11);
        EXPECT_EQ(g.At(4, 4), s.cell44);
    }
}

TEST(EditBuffers, cutInEditModeBuffersTheWholeTextAndKeepsTheRest) {
    TextGrid g(kColumns, kRows);
    g.Set(0, 0, "CAMERA 1");
    EditBuffers b;
    b.Reset();
    b.CutInEditor(g, 0, 0, "CAM 1");
    EXPECT_EQ(g.At(0, 0), "CAM 1");
    b.Paste(g, 3, 5);
    EXPECT_EQ(g.At(3, 5), "CAMERA 1");
    b.Undo(g);
    EXPECT_EQ(g.At(3, 5), "");
    // The undo of the cut itself went with the paste's; cutting again and undoing restores the text.
    b.CutInEditor(g, 0, 0, "");
    b.Undo(g);
    EXPECT_EQ(g.At(0, 0), "CAM 1");
}

} // namespace
} // namespace qdv
