#include "app/HomeFolder.h"
#include "app/JobReport.h"
#include "app/JobSnapshot.h"
#include "app/MainWindowModel.h"
#include "app/SendVerification.h"
#include "app/SetupHealth.h"
#include "app/SingleInstance.h"
#include "convert/TmTableRemote.h"
#include "history/BackupHistory.h"
#include "history/HistoryRepository.h"
#include "history/JobRecord.h"
#include "link/StatusBlock.h"
#include "store/DataImage.h"
#include "store/FolderLock.h"
#include "support/TestFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <future>
#include <tuple>

#include <sys/wait.h>
#include <unistd.h>

namespace qdv {
namespace {

TEST(HomeFolder, optionThenEnvironmentThenWritableExecutableFolderThenConfig) {
    test::TestFolder t;
    t.Write("exe/qdv70", "binary");
    const QString exe = t.FilePath("exe");
    const QString config = t.FilePath("config");
    const QString configHome = t.FilePath("config/qdv70");
    const std::tuple<const char*, HomeFolderCandidates, QString> cases[] = {
        {"option wins", {t.FilePath("opt"), t.FilePath("env"), exe, config}, t.FilePath("opt")},
        {"environment next", {"", t.FilePath("env"), exe, config}, t.FilePath("env")},
        {"writable executable folder", {"", "", exe, config}, exe},
        {"executable folder missing", {"", "", t.FilePath("none"), config}, configHome},
        {"executable folder unknown", {"", "", "", config}, configHome},
        {"executable folder is a file", {"", "", t.FilePath("exe/qdv70"), config}, configHome},
        {"installed program, also run by root", {"", "", "/usr/bin", config}, configHome},
        {"installed below /usr/local", {"", "", "/usr/local/bin/", config}, configHome},
        {"paths are cleaned", {t.FilePath("a/../opt/"), "", exe, config}, t.FilePath("opt")},
        {"relative option is made absolute",
         {"rel/dir", "", exe, config},
         QDir::current().absoluteFilePath("rel/dir")},
    };
    for (const auto& [what, in, expected] : cases)
        EXPECT_EQ(ChooseHomeFolder(in), expected) << what;
}

// The environment is read, and the folder chosen is made.
TEST(HomeFolder, resolvedFolderIsCreated) {
    test::TestFolder t;
    const QByteArray saved = qgetenv("QDV70_HOME");
    const bool had = qEnvironmentVariableIsSet("QDV70_HOME");
    const QString fromEnvironment = t.FilePath("environment/home");
    qputenv("QDV70_HOME", fromEnvironment.toLocal8Bit());
    const QString resolved = ResolveHomeFolder(QString());
    if (had)
        qputenv("QDV70_HOME", saved);
    else
        qunsetenv("QDV70_HOME");
    EXPECT_EQ(resolved, fromEnvironment);
    EXPECT_TRUE(QFileInfo(fromEnvironment).isDir());
}

// One program of a name at a time, wherever it lies: a copy of another name runs beside it, and the lock
// ends with its holder or when the holder takes another name.
TEST(SingleInstance, oneProgramOfANameAtATime) {
    test::TestFolder locks;
    {
        SingleInstance first(locks.Path());
        ASSERT_TRUE(first.TryAcquire("/usr/bin/qdv70"));
        SingleInstance again(locks.Path());
        EXPECT_FALSE(again.TryAcquire("/opt/other/qdv70"));
        SingleInstance other(locks.Path());
        EXPECT_TRUE(other.TryAcquire("qdv70-test"));
        ASSERT_TRUE(first.TryAcquire("renamed"));
        EXPECT_TRUE(again.TryAcquire("qdv70"));
    }
    SingleInstance later(locks.Path());
    EXPECT_TRUE(later.TryAcquire("qdv70"));
    EXPECT_TRUE(later.TryAcquire("renamed"));
}

TEST(SingleInstance, lockLeftByADeadProcessIsTakenOver) {
    // A child that has ended gives a process id that no running process has.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        _exit(0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);

    test::TestFolder locks;
    // The lock names this very program, so only the process id tells that its holder is gone.
    const QByteArray program = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget().toLocal8Bit();
    locks.Write("qdv70.lock", QByteArray::number(child) + "\n" + program + "\n\n");
    SingleInstance instance(locks.Path());
    EXPECT_TRUE(instance.TryAcquire("qdv70"));
    EXPECT_EQ(instance.LockFilePath(), locks.FilePath("qdv70.lock"));
}

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

TEST(JobReport, aDescriptionOrCrosspointSendThatCannotSendItsFileNamesIt) {
    const QByteArray nme = test::ReadTestData("convert/ZEBU_NME.DAU");
    const QByteArray xpt = test::ReadTestData("convert/ZEBU_XPT.DAU");
    const struct {
        JobKind kind;
        const char* file; // written into the backup, may be empty
        QByteArray content;
        QString missing;
    } cases[] = {
        {kJobDescription, "Name/ZEBU_NME.DAU", nme, {}},
        {kJobDescription, "", {}, "ZEBU_NME.DAU"},
        {kJobDescription, "Name/ZEBU_NME.DAU", nme.left(nme.size() - 2), "ZEBU_NME.DAU"}, // cut short
        {kJobCrosspoint, "XPoint/ZEBU_XPT.DAU", xpt, {}},
        {kJobCrosspoint, "", {}, "ZEBU_XPT.DAU"},
        // Primary files are checked one by one by the job and reported by the done mask.
        {kJobPrimary, "", {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.kind << " " << c.file << " " << c.content.size());
        test::TestFolder backup;
        if (*c.file)
            backup.Write(QString::fromLatin1(c.file), c.content);
        SetupRecord setup;
        setup.SetBackupDataPath(backup.Path());
        TmTableRemote resolver;
        const JobReport r = JobReport::CheckSendFile(resolver, setup, c.kind);
        const QString list = c.missing.isEmpty() ? "" : "\n       " + c.missing;
        EXPECT_EQ(r.ListText(), "The following files were not able to be transmitted." + list);
        EXPECT_EQ(r.Success(), c.missing.isEmpty());
    }
}

struct FailedCase {
    int kind;
    int errorCode;
    std::uint32_t doneMask;
    QStringList missing;
    QStringList expected;
};

TEST(JobSnapshot, failedFilesOfEachKindOfReceive) {
    SetupRecord setup;
    setup.primaryBackupFiles = 0b1011; // STD, TLN, LVG
    const FailedCase cases[] = {
        {kJobPrimary, 0, 0b1011, {}, {}},
        {kJobPrimary, 0, 0b0011, {"ZEBU_LVG.DAU"}, {"ZEBU_LVG.DAU"}},
        {kJobPrimary, 303, 0b0001, {}, {"ZEBU_TLN.DAU", "ZEBU_LVG.DAU"}},
        {kJobDescription, 303, 0, {}, {"ZEBU_NME.DAU"}},
        {kJobCrosspoint, 0, 0, {"ZEBU_XPT.DAU"}, {"ZEBU_XPT.DAU"}},
        {kJobCrosspoint, 303, 0, {"ZEBU_XPT.DAU"}, {"ZEBU_XPT.DAU"}},
    };
    for (const FailedCase& c : cases) {
        StatusBlock status;
        status.jobKind = static_cast<JobKind>(c.kind);
        status.primaryDoneMask = c.doneMask;
        JobReport report;
        report.errorCode = c.errorCode;
        report.missing = c.missing;
        EXPECT_EQ(JobSnapshot::FailedFiles(status, setup, report), c.expected)
            << c.kind << " " << c.errorCode;
    }
}

TEST(JobSnapshot, onlyReceivesAreRecorded) {
    test::TestFolder d;
    d.Write("Name/ZEBU_NME.DAU", "00\r\n");
    SetupRecord setup;
    setup.name = "S";
    setup.SetBackupDataPath(d.Path());
    StatusBlock status;
    status.direction = Direction::Send;
    EXPECT_EQ(JobSnapshot::AfterJob(status, setup, {}).outcome, history::SnapshotResult::Outcome::Unchanged);
    EXPECT_FALSE(d.Exists(".git"));
    status.direction = Direction::Receive;
    status.jobKind = kJobDescription;
    EXPECT_EQ(JobSnapshot::AfterJob(status, setup, {}).outcome, history::SnapshotResult::Outcome::Committed);
}

TEST(SendVerification, comparesEachSentFileWithItsReadBackCopy) {
    test::TestFolder folder;
    SetupRecord setup;
    setup.SetBackupDataPath(folder.FilePath("backup"));
    const QByteArray sent = image::Encode(QByteArray(300, 'a'));
    folder.Write("backup/Name/ZEBU_NME.DAU", sent);
    QByteArray changed(300, 'a');
    changed[257] = 'b';
    const std::pair<QByteArray, const char*> cases[] = {
        {sent, "ZEBU_NME.DAU: verified"},
        {image::Encode(changed), "ZEBU_NME.DAU: differs from the device at address 0x0101"},
        {{}, "ZEBU_NME.DAU: cannot be compared: "},
    };
    TmTableRemote resolver;
    for (const auto& [readBack, text] : cases) {
        SCOPED_TRACE(text);
        QFile::remove(folder.FilePath("back/Name/ZEBU_NME.DAU"));
        if (!readBack.isEmpty())
            folder.Write("back/Name/ZEBU_NME.DAU", readBack);
        const auto checks =
            SendVerification::Compare(resolver, setup, kJobDescription, folder.FilePath("back"));
        ASSERT_EQ(checks.size(), 1u);
        EXPECT_TRUE(checks[0].Text().startsWith(text)) << checks[0].Text().toStdString();
        EXPECT_EQ(SendVerification::Differing(checks), readBack == sent ? 0 : 1);
    }
    setup.primaryBackupFiles = 0b101;
    EXPECT_EQ(SendVerification::FilesOfKind(setup, kJobPrimary).size(), 2);
    EXPECT_TRUE(SendVerification::FilesOfKind(setup, kJobSecondary).isEmpty());
}

using history::JobRecord;
using history::JobResult;

JobResult Ended(const QDateTime& at, bool ok, const QString& error = {}) {
    JobResult r;
    r.started = at.addSecs(-90);
    r.finished = at;
    r.ok = ok;
    r.error = error;
    return r;
}

TEST(JobRecord, keepsTheLastSuccessAcrossFailuresAndStaysOutOfTheHistory) {
    test::TestFolder folder;
    const QDateTime t0 = QDateTime::fromString("2026-03-01T02:30:00Z", Qt::ISODate);
    // An unreadable record counts as none and is replaced by the next job's.
    folder.Write(JobRecord::kFileName, "{not json");
    EXPECT_TRUE(JobRecord::Read(folder.Path()).isEmpty());
    ASSERT_TRUE(JobRecord::Record(folder.Path(), "primary", Ended(t0, true)));
    ASSERT_TRUE(JobRecord::Record(folder.Path(), "primary", Ended(t0.addDays(1), false, "Error(INDEX.)")));
    const JobResult r = JobRecord::Read(folder.Path()).value("primary");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "Error(INDEX.)");
    EXPECT_EQ(r.finished, t0.addDays(1));
    EXPECT_EQ(r.lastSuccess, t0);
    EXPECT_EQ(r.DurationSeconds(), 90.0);
    EXPECT_FALSE(history::HistoryRepository::IsTracked(JobRecord::kFileName));
    EXPECT_FALSE(JobRecord::Record(folder.FilePath("gone"), "primary", Ended(t0, true)));
}

// A second program's record never reads and replaces the file while a job holds the folder: the job's
// own record (on its thread) nests, the other waits and then keeps both entries, or writes nothing.
TEST(JobRecord, isWrittenOnlyUnderTheFolderLock) {
    test::TestFolder folder;
    const QDateTime t0 = QDateTime::fromString("2026-03-01T02:30:00Z", Qt::ISODate);
    const auto recordElsewhere = [&](const char* kind, QString* why) {
        return std::async(std::launch::async,
                          [&] { return JobRecord::Record(folder.Path(), kind, Ended(t0, true), why, 0); })
            .get();
    };
    FolderLock job;
    ASSERT_EQ(job.TryLock(folder.Path(), "receiving Primary"), FolderLock::Result::Taken);
    ASSERT_TRUE(JobRecord::Record(folder.Path(), "primary", Ended(t0, false, "Error(INDEX.)")));
    QString why;
    EXPECT_FALSE(recordElsewhere("description", &why));
    EXPECT_TRUE(why.contains("is receiving Primary")) << why.toStdString();
    EXPECT_EQ(JobRecord::Read(folder.Path()).keys(), QStringList{"primary"});
    job.Release();
    ASSERT_TRUE(recordElsewhere("crosspoint", nullptr));
    EXPECT_EQ(JobRecord::Read(folder.Path()).keys(), (QStringList{"crosspoint", "primary"}));
}

// A setup without Primary files, so that the recorded Description job alone decides its verdict.
TEST(SetupHealth, verdictOfTheRecordedJobsAgeAndFolder) {
    const QDateTime now = QDateTime::currentDateTimeUtc();
    struct Case {
        const char* name;
        QDateTime finished;
        bool ok;
        int warnDays;
        bool changedOutside;
        SetupHealth::Verdict verdict;
    };
    using V = SetupHealth::Verdict;
    const Case cases[] = {
        {"current", now.addDays(-1), true, 7, false, V::Ok},
        {"old", now.addDays(-10), true, 7, false, V::Stale},
        {"old, no warning", now.addDays(-10), true, 0, false, V::Ok},
        {"failed", now.addDays(-1), false, 7, false, V::Failing},
        {"failed and changed", now.addDays(-1), false, 7, true, V::Failing},
        {"changed outside", now.addDays(-1), true, 7, true, V::Unverified},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TestFolder folder;
        folder.Write("Name/NOTE.TXT", "one");
        history::BackupHistory::Snapshot(folder.Path(), "Plant", "Receive Description", {}, {});
        if (c.changedOutside)
            folder.Write("Name/NOTE.TXT", "two");
        ASSERT_TRUE(
            JobRecord::Record(folder.Path(), "description", Ended(c.finished, c.ok, "Error(INDEX.)")));
        SetupRecord setup;
        setup.name = "Plant";
        setup.backupDataPath = folder.Path();
        const SetupHealth h = SetupHealth::Assess(setup, now, c.warnDays, false);
        EXPECT_EQ(h.verdict, c.verdict) << h.reason.toStdString();
        EXPECT_EQ(h.reason.isEmpty(), c.verdict == V::Ok);
        EXPECT_FALSE(h.headId.isEmpty());
        ASSERT_EQ(h.kinds.size(), 1);
    }
}

TEST(SetupHealth, metricsEscapeLabelValuesAndLeaveOutKindsThatNeverRan) {
    SetupHealth h;
    h.name = "Plant \"A\"\\2\nnew";
    SetupHealth::Kind never;
    never.kind = "primary";
    h.kinds << never;
    const QString text = QString::fromUtf8(SetupHealth::Metrics({h}));
    EXPECT_TRUE(text.contains("# HELP qdv70_backup_last_run_ok "));
    EXPECT_TRUE(text.contains("# TYPE qdv70_backup_last_run_ok gauge\n"));
    EXPECT_TRUE(text.contains("qdv70_backup_verify_clean{setup=\"Plant \\\"A\\\"\\\\2\\nnew\"} 1\n"))
        << text.toStdString();
    EXPECT_FALSE(text.contains("kind=\"primary\"")) << text.toStdString();
}

} // namespace
} // namespace qdv
