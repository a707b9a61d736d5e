#include "convert/ConversionTables.h"
#include "convert/DescriptionText.h"
#include "editors/CrosspointEditor.h"
#include "editors/DescAliasEditor.h"
#include "editors/EditBuffers.h"
#include "editors/EditorQuestions.h"
#include "editors/LabelText.h"
#include "sim/SampleDataSet.h"
#include "store/DataFileSet.h"
#include "support/TestFolder.h"

#include <gtest/gtest.h>
#include <memory>

namespace qdv {
namespace {

// Answers an editor's questions from a script and records what was asked.
class ScriptedQuestions : public EditorQuestions {
public:
    explicit ScriptedQuestions(QList<bool> answers) : m_answers(std::move(answers)) {}
    bool Ask(int code) override {
        asked << code;
        return !m_answers.isEmpty() && m_answers.takeFirst();
    }
    QList<int> asked;

private:
    QList<bool> m_answers;
};

// The sample data set in a temporary folder and the tables loaded from it as the main window loads
// them before opening an editor.
struct EditorRig {
    EditorRig() {
        EXPECT_TRUE(WriteSampleDataSet(dir.Path(), nullptr));
        setup.SetBackupDataPath(dir.Path());
        Load();
    }
    // The description file and the alias files.
    QList<QByteArray> NameFiles() const {
        QList<QByteArray> files{dir.Read("Name/ZEBU_NME.DAU")};
        for (int k = 1; k <= AliasTables::kTables; ++k)
            files << dir.Read("Name/" + datafiles::AliasFileName(k));
        return files;
    }
    QByteArray XptFile() const { return dir.Read(QStringLiteral("XPoint/ZEBU_XPT.DAU")); }
    // Reloads the tables from the files.
    void Load() {
        tables = std::make_unique<ConversionTables>();
        tables->BuildTerminalLabels(setup);
        EXPECT_TRUE(tables->LoadDescriptions(setup));
        for (int k = 1; k <= AliasTables::kTables; ++k)
            EXPECT_TRUE(tables->LoadAliases(setup, k));
        EXPECT_TRUE(tables->LoadCrosspoints(setup));
    }

    test::TestFolder dir;
    SetupRecord setup;
    std::unique_ptr<ConversionTables> tables;
};

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

constexpr int kDesc = DescAliasEditor::kDescriptionColumn;

TEST(DescAliasEditor, typingAndPastingIntoACellAreJudgedByWhatTheyInsert) {
    const QString sixteen(16, QLatin1Char('A'));
    const struct {
        const char* name;
        int column;
        QString before, after;
        bool refused;
    } cases[] = {
        {"plain text", kDesc, "CAM", "CAM 1", false},
        {"accented letter", kDesc, "CAM", QString::fromUtf8("CAM\xC3\xA9"), true},
        {"slash in a description", kDesc, "CAM", "CAM/1", true},
        {"slash in an alias", 1, "CAM", "CAM/1", false},
        {"comma anywhere", 2, "CAM", "CAM,1", true},
        {"a 17th character", kDesc, sixteen, sixteen + "B", true},
        {"replacing within 16", kDesc, sixteen, "B" + sixteen.mid(1), false},
        {"shortening a longer pasted text", kDesc, sixteen + "BB", sixteen + "B", false},
        {"deleting from a cell with a slash loaded from a file", kDesc, "A/BC", "A/B", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(!DescAliasEditor::RefuseEdit(c.column, c.before, c.after).isEmpty(), c.refused) << c.name;
    }
}

// A description the description file cannot carry stops OK before any file is written, aliases included.
TEST(DescAliasEditor, okWritesWhatTheAnswersAllowAndNothingElse) {
    const struct {
        const char* name;
        QByteArray description; // of destination 7
        QList<bool> answers;
        QList<int> asked;
        bool closes, csvWritten, dauWritten;
    } cases[] = {
        {"no to the CSV question", "EDITED", {false}, {106}, false, false, false},
        {"no to the DAU question", "EDITED", {true, false}, {106, 104}, false, true, false},
        {"yes to both", "EDITED", {true, true}, {106, 104}, true, true, true},
        {"byte the converter refuses", "CAM\x80", {true, true}, {106}, false, false, false},
        {"slash loaded from a file", "CAM/1", {true, true}, {106}, false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EditorRig rig;
        const QList<QByteArray> before = rig.NameFiles();
        DescAliasEditor editor(*rig.tables);
        editor.Show();
        editor.Grid(Side::Destination).Set(kDesc, 6, c.description);
        editor.Grid(Side::Source).Set(7, 0, "");
        ScriptedQuestions q(c.answers);
        const OkOutcome out = editor.Ok(rig.setup, q);
        EXPECT_EQ(q.asked, c.asked);
        EXPECT_EQ(out.close, c.closes);
        EXPECT_EQ(out.error.isEmpty(), c.description == "EDITED") << out.error.toStdString();
        EXPECT_EQ(rig.dir.Exists("Name/ZEBU_NME.CSV"), c.csvWritten);
        if (c.csvWritten) {
            EXPECT_TRUE(rig.dir.Read("Name/ZEBU_NME.CSV").contains("\r\nD7,"));
        }
        if (!c.dauWritten) {
            EXPECT_EQ(rig.NameFiles(), before);
            continue;
        }
        rig.Load();
        EXPECT_EQ(rig.tables->Descriptions().At(Side::Destination, 7).Text(), "EDITED");
        EXPECT_EQ(rig.tables->Aliases().Table(7).At(Side::Source, 1).Text(), "");
        EXPECT_NE(before[7], rig.NameFiles()[7]); // ZEBU_ALS7.DAU
        EXPECT_EQ(before[3], rig.NameFiles()[3]); // ZEBU_ALS3.DAU untouched in content
    }
}

// Every byte of the character set in cells survives the data files unchanged, and the CSV text but for
// spaces, which importing drops by the text form's rule; a longer text is cut to 16 bytes.
TEST(DescAliasEditor, everyByteOfTheSetSurvivesEditDataFilesAndCsv) {
    QByteArray all;
    for (int b = 0x20; b <= 0xDF; ++b)
        if ((b <= 0x7E || b >= 0xA1) && b != ',' && b != '/')
            all += static_cast<char>(b);
    EditorRig rig;
    DescAliasEditor editor(*rig.tables);
    editor.Show();
    QList<QByteArray> texts;
    for (int i = 0; i * 16 < all.size(); ++i) {
        const QByteArray bytes = all.mid(i * 16, 16);
        texts << bytes;
        editor.Grid(Side::Source).Set(kDesc, i, bytes);
        editor.Grid(Side::Destination).Set(i % 7 + 1, i, bytes);
    }
    editor.Grid(Side::Destination).Set(2, 100, "A/B");
    editor.Grid(Side::Source).Set(kDesc, 200, "ABCDEFGHIJKLMNOPQRST");
    editor.Grid(Side::Destination).Set(4, 200, "0123456789abcdefXYZ");
    ScriptedQuestions q({true, true});
    const OkOutcome out = editor.Ok(rig.setup, q);
    ASSERT_TRUE(out.close) << out.error.toStdString();
    rig.Load();
    for (int i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(rig.tables->Descriptions().At(Side::Source, i + 1).Text(), texts[i]);
        EXPECT_EQ(rig.tables->Aliases().Table(i % 7 + 1).At(Side::Destination, i + 1).Text(), texts[i]);
    }
    EXPECT_EQ(rig.tables->Aliases().Table(2).At(Side::Destination, 101).Text(), "A/B");
    EXPECT_EQ(rig.tables->Descriptions().At(Side::Source, 201).Text(), "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(rig.tables->Aliases().Table(4).At(Side::Destination, 201).Text(), "0123456789abcdef");

    DescriptionTable descriptions;
    AliasTables aliases;
    DescriptionText::Import(rig.dir.Read("Name/ZEBU_NME.CSV"), &descriptions, &aliases);
    for (int i = 0; i < texts.size(); ++i) {
        QByteArray noSpaces = texts[i];
        noSpaces.replace(' ', QByteArray());
        EXPECT_EQ(descriptions.At(Side::Source, i + 1).Text(), noSpaces);
        EXPECT_EQ(aliases.Table(i % 7 + 1).At(Side::Destination, i + 1).Text(), noSpaces);
    }
}

TEST(DescAliasEditor, importReplacesBothGridsAndAPasteOfASlashIntoADescriptionIsRefused) {
    EditorRig rig;
    DescAliasEditor editor(*rig.tables);
    editor.Show();
    // A Linux spreadsheet's file: byte-order mark, LF line ends, UTF-8 half-width katakana.
    rig.dir.Write("in.csv", "\xEF\xBB\xBFT1,VTR\nS5,VTR,005,CAM A,X\nD7,VTR,007,\xEF\xBD\xB6\xEF\xBE\x92\n");
    QString why;
    ASSERT_TRUE(editor.Import(rig.dir.FilePath("in.csv"), &why)) << why.toStdString();
    EXPECT_EQ(editor.Grid(Side::Source).At(kDesc, 4), "CAMA");
    EXPECT_EQ(editor.Grid(Side::Destination).At(kDesc, 6), "\xB6\xD2");
    EXPECT_FALSE(editor.Import(rig.dir.FilePath("missing.csv"), &why));
    // A character the controller cannot store refuses the file with the grid's own words.
    rig.dir.Write("e.csv", "S1,,,A\r\nS6,,,Caf\xC3\xA9\r\n");
    EXPECT_FALSE(editor.Import(rig.dir.FilePath("e.csv"), &why));
    EXPECT_TRUE(why.contains("line 2, source 6: " + DescAliasEditor::RefuseEdit(kDesc, "", "\u00E9")))
        << why.toStdString();
    EXPECT_EQ(editor.Grid(Side::Source).At(kDesc, 4), "CAMA");

    editor.Grid(Side::Source).Set(1, 0, "A/1");
    editor.Buffers().Copy(editor.Current(), {1, 0, 1, 1});
    GridRect written;
    EXPECT_FALSE(editor.Paste(kDesc, 2, &written).isEmpty());
    EXPECT_EQ(editor.Grid(Side::Source).At(kDesc, 2), "");
    EXPECT_TRUE(editor.Paste(3, 2, &written).isEmpty());
    EXPECT_EQ(editor.Grid(Side::Source).At(3, 2), "A/1");
}

constexpr int kColumns = 8;
constexpr int kRows = 1024;

QByteArray Name(int c, int r) {
    return "c" + QByteArray::number(c) + "r" + QByteArray::number(r);
}

// A grid whose cells hold their own coordinates, "c<column>r<row>".
TextGrid Numbered() {
    TextGrid g(kColumns, kRows);
    for (int c = 0; c < kColumns; ++c)
        for (int r = 0; r < kRows; ++r)
            g.Set(c, r, Name(c, r));
    return g;
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
        b.Copy(g, {0, 0, 2, 3});
        EXPECT_EQ(b.Paste(g, k.column, k.row), k.written);
        TextGrid pasted = Numbered();
        for (int c = 0; c < k.written.width; ++c)
            for (int r = 0; r < k.written.height; ++r)
                pasted.Set(k.column + c, k.row + r, Name(c, r));
        EXPECT_TRUE(g == pasted);
        b.Undo(g);
        EXPECT_TRUE(g == Numbered()) << "after undo";
    }
}

// Every step of a session with the menu state it leaves and the text of two watched cells.
TEST(EditBuffers, cutUndoRedoCopyAndPasteFollowTheMenuRules) {
    TextGrid g = Numbered();
    EditBuffers b;
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
