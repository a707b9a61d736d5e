#include "app/JobSnapshot.h"
#include "link/StatusBlock.h"
#include "link/TransferJobs.h"
#include "support/TestFolder.h"

#include <gtest/gtest.h>

namespace qdv {
namespace {

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

} // namespace
} // namespace qdv
