#include "app/SetupHealth.h"
#include "history/BackupHistory.h"
#include "history/HistoryRepository.h"
#include "history/JobRecord.h"
#include "store/FolderLock.h"
#include "support/TestFolder.h"

#include <gtest/gtest.h>

#include <future>

namespace qdv {
namespace {

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
    const auto recordElsewhere = [&](const char* kind, int waitMs, QString* why) {
        return std::async(
                   std::launch::async,
                   [&] { return JobRecord::Record(folder.Path(), kind, Ended(t0, true), why, waitMs); })
            .get();
    };
    FolderLock job;
    ASSERT_EQ(job.TryLock(folder.Path(), "receiving Primary"), FolderLock::Result::Taken);
    ASSERT_TRUE(JobRecord::Record(folder.Path(), "primary", Ended(t0, false, "Error(INDEX.)")));
    QString why;
    EXPECT_FALSE(recordElsewhere("description", 0, &why));
    EXPECT_TRUE(why.contains("is receiving Primary")) << why.toStdString();
    EXPECT_EQ(JobRecord::Read(folder.Path()).keys(), QStringList{"primary"});
    job.Release();
    ASSERT_TRUE(recordElsewhere("crosspoint", 0, nullptr));
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
    EXPECT_TRUE(text.contains("# TYPE qdv70_backup_last_run_ok gauge\n"));
    EXPECT_TRUE(text.contains("qdv70_backup_verify_clean{setup=\"Plant \\\"A\\\"\\\\2\\nnew\"} 1\n"))
        << text.toStdString();
    EXPECT_FALSE(text.contains("kind=\"primary\"")) << text.toStdString();
}

} // namespace
} // namespace qdv
