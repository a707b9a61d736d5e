#include "editors/EditBuffers.h"

#include <functional>
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
    struct Step {
        const char* name;
        std::function<void()> act;
        EditMenuState menu;
        QByteArray cell11, cell44; // cells (1,1) and (4,4)
    };
    const EditMenuState start;
    const Step steps[] = {
        {"start", [] {}, start, Name(1, 1), Name(4, 4)},
        {"cut (1,1)-(2,2)",
         [&] {
             b.Cut(g, {1, 1, 2, 2});
         },
         {true, true, true, true, true, false},
         "",
         Name(4, 4)},
        {"undo", [&] { b.Undo(g); }, {true, true, true, true, false, true}, Name(1, 1), Name(4, 4)},
        {"undo again does nothing",
         [&] { b.Undo(g); },
         {true, true, true, true, false, true},
         Name(1, 1),
         Name(4, 4)},
        {"redo", [&] { b.Redo(g); }, {true, true, true, true, true, false}, "", Name(4, 4)},
        {"copy discards the undo",
         [&] {
             b.Copy(g, {4, 4, 1, 1});
         },
         {true, true, true, true, false, false},
         "",
         Name(4, 4)},
        {"undo after copy does nothing",
         [&] { b.Undo(g); },
         {true, true, true, true, false, false},
         "",
         Name(4, 4)},
        {"paste at (1,1)",
         [&] { b.Paste(g, 1, 1); },
         {true, true, true, true, true, false},
         Name(4, 4),
         Name(4, 4)},
        {"undo the paste", [&] { b.Undo(g); }, {true, true, true, true, false, true}, "", Name(4, 4)},
        {"reset", [&] { b.Reset(); }, start, "", Name(4, 4)},
        {"paste with an empty buffer", [&] { b.Paste(g, 1, 1); }, start, "", Name(4, 4)},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        s.act();
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
