#include "support/SetupsRig.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace qdv::test {
namespace {

const QStringList kLetters{"A", "B", "C", "D"};

TEST(SetupListOps, aFullTableTakesNoNewSetupAndNoCopy) {
    QStringList names;
    for (int i = 1; i <= SetupTable::kMaxSetups; ++i)
        names << QStringLiteral("S%1").arg(i);
    SetupsRig rig(names);
    const QByteArray before = rig.FileBytes();
    EXPECT_EQ(rig.list.BeginNew(), 0);
    EXPECT_FALSE(rig.list.CopySetup(1));
    EXPECT_FALSE(rig.list.AddSetup(SetupRecord(), SetupFont()));
    EXPECT_EQ(rig.table->count, SetupTable::kMaxSetups);
    EXPECT_EQ(rig.FileBytes(), before);
}

TEST(SetupListOps, copyIsCompleteAndCancellingItRestoresTheFile) {
    SetupsRig rig({"A", "B"}, true);
    rig.table->fonts[0].strikeOut = true;
    rig.table->fonts[0].pitch = 2;
    rig.table->records[0].primaryBackupFiles = 5;
    rig.list.Save();
    const QByteArray before = rig.FileBytes();

    ASSERT_TRUE(rig.list.CopySetup(1));
    ASSERT_EQ(rig.table->count, 3);
    SetupRecord expected = rig.table->records[0];
    expected.name = QStringLiteral("A (2)");
    EXPECT_EQ(rig.table->records[2], expected);
    EXPECT_EQ(rig.table->fonts[2], rig.table->fonts[0]);
    EXPECT_EQ(rig.Reloaded()->records[2], expected);

    // A cancelled editor removes the duplicate again: the file reads as before, with the duplicate's
    // section left beyond the count.
    ASSERT_TRUE(rig.list.RemoveSetup(3));
    EXPECT_EQ(rig.Names(), QStringList({"A", "B"}));
    EXPECT_TRUE(rig.FileBytes().startsWith(before));
    EXPECT_EQ(rig.Reloaded()->count, 2);
}

// Setups move and go with their fonts, in the table and in the file; the selection follows its setup.
TEST(SetupListOps, movesAndRemovesCarryFontsAndSelectionAndRefuseAtTheEdges) {
    enum Op { Up, Down, Remove };
    struct Case {
        Op op;
        int k;
        bool done;
        QStringList names;
        int selectedAfter = 2; // C, selected before
        int selected = 2;
        int count = 4; // of the setups A, B, C, D
    };
    const Case cases[] = {
        {Up, 4, true, {"A", "B", "D", "C"}, 3},   {Up, 2, true, {"B", "A", "C", "D"}},
        {Up, 1, false, {"A", "B", "C", "D"}},     {Up, 5, false, {"A", "B", "C", "D"}},
        {Down, 1, true, {"B", "A", "C", "D"}},    {Down, 3, true, {"A", "B", "D", "C"}, 3},
        {Down, 4, false, {"A", "B", "C", "D"}},   {Down, 0, false, {"A", "B", "C", "D"}},
        {Remove, 0, false, {"A", "B", "C", "D"}}, {Remove, 5, false, {"A", "B", "C", "D"}},
        {Remove, 3, true, {"A", "B"}, 1, 2, 3},   // the last, selected row: the new last row
        {Remove, 1, true, {"B", "C"}, 0, 0, 3},   // the selected first row: the new first row
        {Remove, 1, true, {"B", "C"}, 1, 2, 3},   // an earlier setup: the selection stays on C
        {Remove, 2, true, {"A", "C"}, 0, 0, 3},   // a later setup: unchanged
        {Remove, 1, true, {}, -1, 0, 1},          // the only setup: none left
        {Remove, 2, true, {"A", "C"}, -1, -1, 3}, // nothing selected stays so
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.op << ' ' << c.k << " of " << c.count);
        SetupsRig rig(kLetters.first(c.count), true, c.selected);
        const QByteArray before = rig.FileBytes();
        const bool done = c.op == Up     ? rig.list.MoveSetupUp(c.k)
                          : c.op == Down ? rig.list.MoveSetupDown(c.k)
                                         : rig.list.RemoveSetup(c.k);
        EXPECT_EQ(done, c.done);
        EXPECT_EQ(rig.Names(), c.names);
        EXPECT_EQ(rig.table->selected, c.selectedAfter);
        const auto back = rig.Reloaded();
        EXPECT_EQ(back->count, c.names.size());
        EXPECT_EQ(back->selected, c.selectedAfter);
        for (int i = 0; i < c.names.size(); ++i) {
            EXPECT_EQ(rig.table->fonts[i].name, "Font " + c.names[i]);
            EXPECT_EQ(back->records[i].name, c.names[i]);
            EXPECT_EQ(back->fonts[i].name, "Font " + c.names[i]);
        }
        // A removed setup leaves an empty slot; a refusal leaves the file as it was.
        if (c.names.size() < c.count) {
            EXPECT_EQ(rig.table->records[c.count - 1], SetupRecord());
            EXPECT_EQ(rig.table->fonts[c.count - 1], SetupFont());
        }
        if (!c.done) {
            EXPECT_EQ(rig.FileBytes(), before);
        }
    }
}

TEST(SetupListOps, findAndCopyNames) {
    SetupsRig rig({"Studio", "2", "Twin", "Twin", "Hall (2)", "Hall (3)"});
    struct Find {
        const char* word;
        int k;
    };
    const Find finds[] = {{"Studio", 1}, {"2", 2},     {"1", 1},      {"6", 6}, {"7", 0},
                          {"0", 0},      {"Twin", -1}, {"studio", 0}, {"", 0}};
    for (const Find& f : finds)
        EXPECT_EQ(rig.list.Find(QString::fromUtf8(f.word)), f.k) << f.word;

    struct Copy {
        QString name;
        QString copy;
    };
    const QString longName(SetupRecord::kTextField, QLatin1Char('x'));
    const Copy copies[] = {
        {"Studio", "Studio (2)"},
        {"Hall (2)", "Hall (4)"},
        {"Hall", "Hall (4)"},
        {longName, longName.left(SetupRecord::kTextField - 4) + " (2)"},
    };
    for (const Copy& c : copies)
        EXPECT_EQ(rig.list.UniqueCopyName(c.name), c.copy);
}

TEST(SetupListOps, buttonStatesAndSelectionOnClose) {
    SetupsRig three(kLetters.first(3));
    SetupsRig none({});
    EXPECT_EQ(three.list.ButtonStates(-1), SetupListButtons());
    EXPECT_EQ(three.list.ButtonStates(0), (SetupListButtons{true, true, false, true, true}));
    EXPECT_EQ(three.list.ButtonStates(1), (SetupListButtons{true, true, true, true, true}));
    EXPECT_EQ(three.list.ButtonStates(2), (SetupListButtons{true, true, true, false, true}));
    EXPECT_EQ(none.list.ButtonStates(0), SetupListButtons());
    SetupsRig one({"A"});
    EXPECT_EQ(one.list.ButtonStates(0), (SetupListButtons{true, true, false, false, true}));

    EXPECT_EQ(three.list.SelectionOnClose(2), 2);
    EXPECT_EQ(three.list.SelectionOnClose(3), 0);
    EXPECT_EQ(three.list.SelectionOnClose(-1), -1);
    EXPECT_EQ(none.list.SelectionOnClose(0), -1);
}

TEST(SetupListOps, aFileThatCannotBeWrittenIsReported) {
    SetupsRig rig({"A", "B"});
    // A folder where the file should be: the rename over it fails.
    QFile::remove(rig.home.FilePath("QDV70LIST.INI"));
    QDir(rig.home.Path()).mkdir("QDV70LIST.INI");
    EXPECT_TRUE(rig.list.MoveSetupDown(1));
    EXPECT_FALSE(rig.list.SaveError().isEmpty());
    EXPECT_EQ(rig.Names(), QStringList({"B", "A"}));
}

} // namespace
} // namespace qdv::test
