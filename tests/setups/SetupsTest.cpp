#include "setups/AdvancedOptionsModel.h"
#include "setups/IpAddressText.h"
#include "setups/SetupEditorModel.h"
#include "setups/SetupOptionText.h"
#include "support/SetupsRig.h"

#include <QDir>
#include <QFile>

#include <functional>
#include <tuple>

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
    const std::pair<const char*, int> finds[] = {{"Studio", 1}, {"2", 2},      {"1", 1},
                                                 {"6", 6},      {"7", 0},      {"0", 0},
                                                 {"Twin", -1},  {"studio", 0}, {"", 0}};
    for (const auto& [word, k] : finds)
        EXPECT_EQ(rig.list.Find(QString::fromUtf8(word)), k) << word;

    const QString longName(SetupRecord::kTextField, QLatin1Char('x'));
    const std::pair<QString, QString> copies[] = {
        {"Studio", "Studio (2)"},
        {"Hall (2)", "Hall (4)"},
        {"Hall", "Hall (4)"},
        {longName, longName.left(SetupRecord::kTextField - 4) + " (2)"},
    };
    for (const auto& [name, copy] : copies)
        EXPECT_EQ(rig.list.UniqueCopyName(name), copy);
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

TEST(IpAddressText, storedValidAndShownForms) {
    const std::tuple<QString, QString, bool> cases[] = {
        {"127.168.1  .10 ", "127.168.1.10", true},
        {"  127. 0 .3  .  4", "127.0.3.4", true},
        {"   .   .   .   ", "...", false},
        {"255.255.255.255", "255.255.255.255", false},
        {"127.255.255.255", "127.255.255.255", true},
        {"127.0.0.0", "127.0.0.0", true},
        {"127.256.1.1", "127.256.1.1", false},
        {"127.2.3", "127.2.3", false},
        {"127.2.3.4.5", "127.2.3.4.5", false},
        {"127.2..4", "127.2..4", false},
        {"127.2.3.1234", "127.2.3.1234", false},
        {"127.2.3.x", "127.2.3.x", false},
        {"", "", false},
    };
    for (const auto& [shown, stored, valid] : cases) {
        EXPECT_EQ(IpAddressText::Stored(shown), stored) << shown.toStdString();
        EXPECT_EQ(IpAddressText::IsValid(shown), valid) << shown.toStdString();
    }
    EXPECT_EQ(IpAddressText::Shown("127.168.1.10"), "127.168.1  .10 ");
    EXPECT_EQ(IpAddressText::Shown(""), "   .   .   .   ");
    EXPECT_EQ(IpAddressText::Shown("..."), "   .   .   .   ");
    EXPECT_EQ(IpAddressText::Shown("127.2.3.4567"), "   .   .   .   ");
}

TEST(SetupEditor, refusalsComeInTheEditorsOrder) {
    const QString tooLong(SetupRecord::kTextField + 1, QLatin1Char('x'));
    const QString longest(SetupRecord::kTextField, QLatin1Char('x'));
    struct Case {
        const char* what;
        std::function<void(SetupEditorModel&)> edit;
        int code;
    };
    const Case cases[] = {
        {"all good", [](SetupEditorModel&) {}, 0},
        {"no name", [](SetupEditorModel& m) { m.name.clear(); }, 111},
        {"no name and no path", [](SetupEditorModel& m) { m.name.clear(), m.backupDataPath.clear(); }, 111},
        {"long name", [&](SetupEditorModel& m) { m.name = tooLong; }, 120},
        {"longest name", [&](SetupEditorModel& m) { m.name = longest; }, 0},
        {"name of another setup", [](SetupEditorModel& m) { m.name = "B"; }, 122},
        {"no path", [](SetupEditorModel& m) { m.backupDataPath.clear(); }, 112},
        {"long path", [&](SetupEditorModel& m) { m.backupDataPath = "/" + tooLong; }, 121},
        {"broadcast", [](SetupEditorModel& m) { m.ipText = "255.255.255.255"; }, 321},
        {"blank mask", [](SetupEditorModel& m) { m.ipText = "   .   .   .   "; }, 321},
        {"serial, blank address",
         [](SetupEditorModel& m) { m.selectLan = false, m.ipText = "   .   .   .   "; }, 0},
        {"serial, bad address", [](SetupEditorModel& m) { m.selectLan = false, m.ipText = "999.1"; }, 0},
        {"COM0", [](SetupEditorModel& m) { m.comPort = 0; }, 124},
        {"COM16", [](SetupEditorModel& m) { m.comPort = 16; }, 124},
        {"COM15", [](SetupEditorModel& m) { m.comPort = 15; }, 0},
    };
    for (const bool newMode : {true, false}) {
        for (const Case& c : cases) {
            SetupsRig rig({"A", "B"});
            SetupEditorModel m(rig.list);
            ASSERT_TRUE(newMode ? m.OpenNew() : m.OpenModify(1));
            if (newMode)
                m.name = "N", m.backupDataPath = "/data/N", m.ipText = "127.1.1.1";
            c.edit(m);
            EXPECT_EQ(m.Validate(), c.code) << c.what << (newMode ? " (new)" : " (modify)");
        }
    }
}

TEST(SetupEditor, namesSharedInAFileStayEditable) {
    SetupsRig rig({"Default", "Default"});
    SetupEditorModel m(rig.list);
    ASSERT_TRUE(m.OpenModify(2));
    m.ipText = "127.9.9.9";
    EXPECT_EQ(m.Accept(), 0);
    EXPECT_EQ(rig.table->records[1].ipAddress, "127.9.9.9");
}

TEST(SetupEditor, newSetupTakesTheOptionsAndFontOfItsSlot) {
    SetupsRig rig({"A"});
    // Left over from an earlier, cancelled new setup: cleared when the editor opens.
    rig.table->records[1].name = "stale";
    rig.table->fonts[1].name = "Stale";
    SetupEditorModel m(rig.list);
    ASSERT_TRUE(m.OpenNew());
    EXPECT_EQ(m.Number(), 2);
    EXPECT_EQ(m.ipText, "   .   .   .   ");
    EXPECT_TRUE(m.selectLan);
    EXPECT_EQ(rig.table->fonts[1], SetupFont());
    rig.table->records[1].remote3Port = 2002; // through the Remote3 dialog
    rig.table->records[1].editAll = false;    // through the advanced options
    rig.table->fonts[1].name = "Mono";        // through the font chooser
    m.name = "Serial";
    m.backupDataPath = "/data/serial";
    m.selectLan = false;
    m.comPort = 15;
    ASSERT_EQ(m.Accept(), 0);

    const auto back = rig.Reloaded();
    ASSERT_EQ(back->count, 2);
    const SetupRecord& r = back->records[1];
    EXPECT_EQ(r.name, "Serial");
    EXPECT_EQ(r.primaryPath, "/data/serial/Primary/");
    EXPECT_EQ(r.ipAddress, "..."); // the untouched mask
    EXPECT_FALSE(r.selectLan);
    EXPECT_EQ(r.comPort, 15);
    EXPECT_EQ(r.remote3Port, 2002);
    EXPECT_FALSE(r.editAll);
    EXPECT_EQ(r.sendButtons, 0x3F);
    EXPECT_EQ(back->fonts[1].name, "Mono");
}

TEST(SetupEditor, modifyChangesOnlyNamePathAndLink) {
    SetupsRig rig({"A", "B"});
    SetupRecord& stored = rig.table->records[0];
    stored.comPort = 0;
    stored.sendAll = false;
    stored.remote3Port = 4000;
    SetupRecord expected = stored;
    SetupEditorModel m(rig.list);
    ASSERT_TRUE(m.OpenModify(1));
    EXPECT_EQ(m.comPort, 1); // COM0 shows as COM1
    EXPECT_EQ(m.ipText, "127.0  .0  .1  ");
    // OK without a change rewrites the same values.
    ASSERT_EQ(m.Accept(), 0);
    EXPECT_EQ(rig.Reloaded()->records[0].ipAddress, "127.0.0.1");
    m.name = "Renamed";
    m.ipText = "127.2.3.4";
    ASSERT_EQ(m.Accept(), 0);
    expected.name = "Renamed";
    expected.ipAddress = "127.2.3.4";
    expected.comPort = 1;
    EXPECT_EQ(rig.Reloaded()->records[0], expected);
    EXPECT_EQ(rig.Reloaded()->count, 2);
}

TEST(AdvancedOptions, newSetupShowsEverythingAndGreyedBoxesKeepTheirChecks) {
    SetupsRig rig({"A"});
    rig.table->records[0].sendAll = false;
    rig.table->records[0].sendButtons = 0x21;
    rig.table->records[0].primaryBackupFiles = 0x81;
    AdvancedOptionsModel m(rig.list);
    m.Open(1);
    EXPECT_FALSE(m.ButtonEnabled(AdvancedOptionsModel::kSend));
    EXPECT_TRUE(m.Button(AdvancedOptionsModel::kSend, 5) && !m.Button(AdvancedOptionsModel::kSend, 4));
    EXPECT_TRUE(m.PrimaryFile(7) && !m.PrimaryFile(6));
    for (int bit = 0; bit < AdvancedOptionsModel::kPrimaryFiles; ++bit)
        m.SetPrimaryFile(bit, false);
    m.SetButton(AdvancedOptionsModel::kSend, 4, true); // greyed, but stored as checked
    m.SetGroupOn(AdvancedOptionsModel::kReceive, false);
    m.Store();
    const SetupRecord& r = rig.table->records[0];
    EXPECT_EQ(r.primaryBackupFiles, 0);
    EXPECT_EQ(r.sendButtons, 0x31);
    EXPECT_FALSE(r.sendAll);
    EXPECT_FALSE(r.receiveAll);
    EXPECT_EQ(r.receiveButtons, 0x0F);

    // The slot of a new setup, whatever an earlier showing left in it.
    const int n = rig.list.BeginNew();
    rig.table->records[n - 1].editAll = false;
    rig.table->records[n - 1].editButtons = 0;
    m.Open(n);
    EXPECT_TRUE(m.ButtonEnabled(AdvancedOptionsModel::kEdit));
    EXPECT_TRUE(m.Button(AdvancedOptionsModel::kEdit, 0) && m.Button(AdvancedOptionsModel::kEdit, 1));
    EXPECT_TRUE(rig.table->records[n - 1].editAll);
}

TEST(SetupOptionText, primaryFiles) {
    const std::pair<const char*, int> cases[] = {
        {"all", 0xFF}, {"NONE", 0},   {"129", 0x81},      {"0x81", 0x81},
        {"256", -1},   {"STD", 0x01}, {"std, idx", 0x81}, {"ZEBU_422.DAU,TLN", 0x42},
        {"XPT", -1},   {"STD,", -1},  {"", -1},           {"-1", -1},
        {"12a", -1},
    };
    for (const auto& [text, expected] : cases) { // -1: refused
        int bits = -7;
        QString error;
        const bool ok = SetupOptionText::ParsePrimaryFiles(QString::fromLatin1(text), &bits, &error);
        EXPECT_EQ(ok ? bits : -1, expected) << text;
        EXPECT_EQ(error.isEmpty(), ok) << text;
    }
}

TEST(SetupOptionText, buttons) {
    // The record starts with every tab offered and receive=F1+F2, send=all, edit=F2.
    SetupRecord start;
    SetupList::SetNewSetupOptions(start);
    start.receiveButtons = 0x3;
    start.editButtons = 0x2;
    struct Case {
        const char* text;
        bool r, s, e;
        int rb, sb, eb;
    };
    const Case cases[] = {
        {"receive=off", false, true, true, 0x3, 0x3F, 0x2},
        {"receive=on,edit=none", true, true, true, 0x3, 0x3F, 0x0},
        {"send=F5+F6, edit=all", true, true, true, 0x3, 0x30, 0x3},
        {"Receive=F4", true, true, true, 0x8, 0x3F, 0x2},
        {"edit=3", true, true, true, 0x3, 0x3F, 0x3},
        {"send=0x21", true, true, true, 0x3, 0x21, 0x2},
    };
    for (const Case& c : cases) {
        SetupRecord r = start;
        QString error;
        EXPECT_TRUE(SetupOptionText::ParseButtons(QString::fromLatin1(c.text), r, &error))
            << error.toStdString();
        EXPECT_EQ((std::array{r.receiveAll, r.sendAll, r.editAll}), (std::array{c.r, c.s, c.e})) << c.text;
        EXPECT_EQ((std::array{r.receiveButtons, r.sendButtons, r.editButtons}),
                  (std::array{c.rb, c.sb, c.eb}))
            << c.text;
    }
    // A refused text says why and changes nothing.
    for (const char* text : {"edit=F3", "edit=4", "receive=F1,view=on", "receive", "send=F1+", ""}) {
        SetupRecord r = start;
        QString error;
        EXPECT_FALSE(SetupOptionText::ParseButtons(QString::fromLatin1(text), r, &error)) << text;
        EXPECT_EQ(r, start) << text;
        EXPECT_FALSE(error.isEmpty()) << text;
    }
}

} // namespace
} // namespace qdv::test
