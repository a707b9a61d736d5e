#include "app/JobReport.h"
#include "app/JobSnapshot.h"
#include "app/SendVerification.h"
#include "app/SetupHealth.h"
#include "convert/TmTableRemote.h"
#include "history/BackupHistory.h"
#include "history/HistoryRepository.h"
#include "history/JobRecord.h"
#include "link/StatusBlock.h"
#include "store/DataImage.h"
#include "store/FolderLock.h"
#include "support/TestFolder.h"

#include <QFile>
#include <gtest/gtest.h>

#include <future>

namespace qdv {
namespace {

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
    struct Case {
        QByteArray readBack; // empty: none
        const char* text;
    };
    const Case cases[] = {
        {sent, "ZEBU_NME.DAU: verified"},
        {image::Encode(changed), "ZEBU_NME.DAU: differs from the device at address 0x0101"},
        {{}, "ZEBU_NME.DAU: cannot be compared: "},
    };
    TmTableRemote resolver;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        QFile::remove(folder.FilePath("back/Name/ZEBU_NME.DAU"));
        if (!c.readBack.isEmpty())
            folder.Write("back/Name/ZEBU_NME.DAU", c.readBack);
        const auto checks =
            SendVerification::Compare(resolver, setup, kJobDescription, folder.FilePath("back"));
        ASSERT_EQ(checks.size(), 1u);
        EXPECT_TRUE(checks[0].Text().startsWith(c.text)) << checks[0].Text().toStdString();
        EXPECT_EQ(SendVerification::Differing(checks), c.readBack == sent ? 0 : 1);
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
        setup.primaryBackupFiles = 0;
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
    EXPECT_TRUE(text.contains("qdv70_backup_verify_clean{setup=\"Plant \\\"A\\\"\\\\2\\nnew\"} 1\n"))
        << text.toStdString();
    EXPECT_FALSE(text.contains("kind=\"primary\"")) << text.toStdString();
}

} // namespace
} // namespace qdv
