#include "app/MainWindowModel.h"
#include "support/TestFolder.h"

#include <QFile>
#include <gtest/gtest.h>

namespace qdv {
namespace {

SetupRecord TabSetup(bool r, int rb, bool s, int sb, bool e, int eb) {
    SetupRecord x;
    x.name = QStringLiteral("T");
    x.receiveAll = r;
    x.receiveButtons = rb;
    x.sendAll = s;
    x.sendButtons = sb;
    x.editAll = e;
    x.editButtons = eb;
    return x;
}

// The visible (or enabled) places of each tab as bit sets, for comparing a whole arrangement at once.
std::array<int, kTabCount> PlaceBits(const MainWindowModel& m,
                                     bool (MainWindowModel::*holds)(int tab, int place) const) {
    std::array<int, kTabCount> bits{};
    for (int tab = 0; tab < kTabCount; ++tab) {
        for (int place = 0; place < MainWindowModel::kPlaces; ++place)
            bits[tab] |= (m.*holds)(tab, place) << place;
    }
    return bits;
}

struct ArrangeCase {
    const char* name;
    SetupRecord setup;
    int currentBefore;
    QList<int> shown;
    int currentAfter;
    std::array<int, kTabCount> visible;
};

TEST(MainWindowModel, tabsAndButtonsFollowTheSetupsFlagsAndBitSets) {
    const int R = kTabReceive, S = kTabSend, E = kTabEdit;
    const ArrangeCase cases[] = {
        // Bits beyond a tab's buttons (Receive 4, Edit 2) show nothing.
        {"all", TabSetup(true, 63, true, 63, true, 63), R, {0, 1, 2}, R, {15, 63, 3}},
        {"some buttons", TabSetup(true, 5, true, 48, true, 2), S, {0, 1, 2}, S, {5, 48, 2}},
        {"receive hidden", TabSetup(false, 15, true, 63, true, 3), R, {1, 2}, S, {0, 63, 3}},
        {"only receive, from send", TabSetup(true, 15, false, 63, false, 3), S, {0}, R, {15, 0, 0}},
        {"only edit, from receive", TabSetup(false, 15, false, 63, true, 3), R, {2}, E, {0, 0, 3}},
        {"no tab", TabSetup(false, 15, false, 63, false, 3), E, {}, kTabNone, {0, 0, 0}},
        {"a tab without buttons", TabSetup(true, 0, false, 0, false, 0), R, {0}, R, {0, 0, 0}},
    };
    for (const ArrangeCase& c : cases) {
        MainWindowModel m;
        m.SelectTab(c.currentBefore, &c.setup);
        EXPECT_EQ(m.ShownTabs(), c.shown) << c.name;
        EXPECT_EQ(m.CurrentTab(), c.currentAfter) << c.name;
        EXPECT_EQ(PlaceBits(m, &MainWindowModel::PlaceVisible), c.visible) << c.name;
    }
}

struct FileRuleCase {
    const char* name;
    QStringList files; // relative to the backup data path
    int sendEnabled;   // bit per place
    int editEnabled;
};

TEST(MainWindowModel, sendAndEditButtonsNeedTheirFilesFoundInAnyCase) {
    const FileRuleCase cases[] = {
        {"empty backup", {}, 0b001100, 0b10},
        {"descriptions", {"NAME/zebu_nme.dau"}, 0b011101, 0b10},
        {"crosspoints", {"Xpoint/ZEBU_XPT.DAU"}, 0b001110, 0b10},
        {"one alias table", {"Name/ZEBU_ALS7.DAU"}, 0b101100, 0b10},
        {"standard settings", {"primary/ZEBU_STD.DAU"}, 0b001100, 0b11},
        // A folder of the file's name is not the file.
        {"folder instead of file", {"Name/ZEBU_NME.DAU/x"}, 0b001100, 0b10},
    };
    for (const FileRuleCase& c : cases) {
        test::TestFolder backup;
        for (const QString& f : c.files)
            backup.Write(f, "x");
        SetupRecord setup = TabSetup(true, 15, true, 63, true, 3);
        setup.SetBackupDataPath(backup.Path());
        MainWindowModel m;
        m.Arrange(&setup);
        m.SetButtonsEnabled(true, &setup);
        const std::array<int, kTabCount> enabled = PlaceBits(m, &MainWindowModel::PlaceEnabled);
        EXPECT_EQ(enabled[kTabSend], c.sendEnabled) << c.name;
        EXPECT_EQ(enabled[kTabEdit] & 3, c.editEnabled) << c.name;
        EXPECT_EQ(enabled[kTabReceive] & 15, 15) << c.name << ": receive buttons need nothing";
    }
}

struct KeyCase {
    const char* name;
    int tab;
    bool jobRunning;
    int key;
    Qt::KeyboardModifiers modifiers;
    MainWindowModel::KeyTarget target;
    int place;
};

TEST(MainWindowModel, keysActOnlyOnVisibleEnabledButtonsOfTheCurrentTab) {
    using T = MainWindowModel::KeyTarget;
    const KeyCase cases[] = {
        {"F1 receive", kTabReceive, false, Qt::Key_F1, Qt::NoModifier, T::Place, 0},
        {"F4 receive", kTabReceive, false, Qt::Key_F4, Qt::NoModifier, T::Place, 3},
        {"F5 receive: empty place", kTabReceive, false, Qt::Key_F5, Qt::NoModifier, T::None, -1},
        {"F3 receive: bit not set", kTabReceive, false, Qt::Key_F3, Qt::NoModifier, T::None, -1},
        {"F6 send", kTabSend, false, Qt::Key_F6, Qt::NoModifier, T::Place, 5},
        {"F2 send without crosspoints", kTabSend, false, Qt::Key_F2, Qt::NoModifier, T::None, -1},
        {"F2 edit", kTabEdit, false, Qt::Key_F2, Qt::NoModifier, T::Place, 1},
        {"F7", kTabSend, false, Qt::Key_F7, Qt::NoModifier, T::None, -1},
        {"Enter", kTabReceive, false, Qt::Key_Return, Qt::NoModifier, T::None, -1},
        {"Alt+F1 is not F1", kTabReceive, false, Qt::Key_F1, Qt::AltModifier, T::None, -1},
        {"Esc idle", kTabReceive, false, Qt::Key_Escape, Qt::NoModifier, T::None, -1},
        {"Alt+C idle", kTabReceive, false, Qt::Key_C, Qt::AltModifier, T::None, -1},
        {"Alt+E idle", kTabReceive, false, Qt::Key_E, Qt::AltModifier, T::Exit, -1},
        {"E without Alt", kTabReceive, false, Qt::Key_E, Qt::NoModifier, T::None, -1},
        {"F1 during a job", kTabReceive, true, Qt::Key_F1, Qt::NoModifier, T::None, -1},
        {"Esc during a job", kTabReceive, true, Qt::Key_Escape, Qt::NoModifier, T::Cancel, -1},
        {"Alt+C during a job", kTabSend, true, Qt::Key_C, Qt::AltModifier, T::Cancel, -1},
        {"Alt+E during a job", kTabReceive, true, Qt::Key_E, Qt::AltModifier, T::None, -1},
    };
    test::TestFolder backup;
    backup.Write("Name/ZEBU_NME.DAU", "x");
    backup.Write("Name/ZEBU_ALS1.DAU", "x");
    SetupRecord setup = TabSetup(true, 0b1011, true, 63, true, 3);
    setup.SetBackupDataPath(backup.Path());
    for (const KeyCase& c : cases) {
        MainWindowModel m;
        m.SelectTab(c.tab, &setup);
        m.SetButtonsEnabled(!c.jobRunning, &setup);
        const MainWindowModel::KeyAction a = m.ActionOfKey(c.key, c.modifiers);
        EXPECT_EQ(a.target, c.target) << c.name;
        EXPECT_EQ(a.place, c.place) << c.name;
    }
}

TEST(MainWindowModel, lastPrimaryBackupIsTheOldestOfTheSelectedFiles) {
    test::TestFolder home;
    SetupRecord setup;
    setup.SetBackupDataPath(home.FilePath("backup"));
    setup.primaryBackupFiles = 0b11; // ZEBU_STD.DAU and ZEBU_TLN.DAU
    const QDateTime older = QDateTime::fromString("2026-03-01T10:00:00Z", Qt::ISODate);
    const QDateTime newer = older.addDays(2);
    for (const auto& [name, t] : {std::pair{"ZEBU_STD.DAU", newer}, std::pair{"ZEBU_TLN.DAU", older}}) {
        home.Write(QStringLiteral("backup/Primary/") + name, "x");
        QFile f(home.FilePath(QStringLiteral("backup/Primary/") + name));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(t, QFileDevice::FileModificationTime));
    }
    EXPECT_EQ(MainWindowModel::LastPrimaryBackup(setup), older);
    setup.primaryBackupFiles = 0b111; // a third one that is missing
    EXPECT_FALSE(MainWindowModel::LastPrimaryBackup(setup).isValid());
}

TEST(MainWindowModel, backupStatusWarnsOnlyPastTheWarningAge) {
    const QDateTime now = QDateTime::fromString("2026-03-10T12:00:00Z", Qt::ISODate);
    struct Case {
        QDateTime last;
        int warnDays;
        const char* says;
        bool warn;
    };
    const Case cases[] = {
        {now.addSecs(-3600), 7, "(today)", false},
        {now.addDays(-7), 7, "(7 days ago)", false},
        {now.addDays(-7).addSecs(-60), 7, "(7 days ago)", true},
        {now.addDays(-1), 0, "(1 day ago)", false},
        {now.addDays(-400), 0, "(400 days ago)", false},
        {QDateTime(), 7, "No complete Primary backup", true},
        {QDateTime(), 0, "No complete Primary backup", false},
    };
    for (const Case& c : cases) {
        const MainWindowModel::BackupStatus s = MainWindowModel::DescribeBackup(c.last, now, c.warnDays);
        SCOPED_TRACE(s.text.toStdString());
        EXPECT_TRUE(s.text.contains(c.says));
        EXPECT_EQ(s.warn, c.warn);
        EXPECT_EQ(s.toolTip.contains("WARN_DAYS"), c.warn && c.last.isValid());
    }
}

TEST(MainWindowModel, setupMarkFollowsTheVerdictWithTheReasonAsTooltip) {
    using V = SetupHealth::Verdict;
    using I = MainWindowModel::MarkIcon;
    struct Case {
        V verdict;
        const char* reason;
        I icon;
        const char* verdictWord; // the tooltip: the verdict's word, then the reason
    };
    const Case cases[] = {
        {V::Ok, "", I::None, ""},
        {V::Stale, "no good Description backup yet", I::Warning, "Stale: "},
        {V::Unverified, "a push to [HISTORY] REMOTE is owed", I::Warning, "Unverified: "},
        {V::Failing, "the last Primary job failed: Error(INDEX.)", I::Critical, "Failing: "},
    };
    for (const Case& c : cases) {
        SetupHealth h;
        h.verdict = c.verdict;
        h.reason = c.reason;
        const MainWindowModel::SetupMark m = MainWindowModel::MarkOfHealth(h);
        EXPECT_EQ(m.icon, c.icon) << c.reason;
        EXPECT_EQ(m.toolTip, *c.reason ? c.verdictWord + QString(c.reason) : "");
    }
}

} // namespace
} // namespace qdv
