#include "app/JobSnapshot.h"

#include "history/JobRecord.h"
#include "link/StatusBlock.h"
#include "link/TransferJobs.h"
#include "store/DataFileSet.h"

namespace qdv {

QString JobSnapshot::JobName(Direction direction, JobKind kind) {
    return (direction == Direction::Receive ? QStringLiteral("Receive ") : QStringLiteral("Send ")) +
           JobKindName(kind);
}

QStringList JobSnapshot::FailedFiles(const StatusBlock& status, const SetupRecord& setup,
                                     const JobReport& report) {
    QStringList failed = report.missing;
    if (report.errorCode == 0)
        return failed;
    const JobKind kind = status.jobKind;
    if (kind == kJobDescription)
        failed << datafiles::FileName(datafiles::kNme);
    else if (kind == kJobCrosspoint)
        failed << datafiles::FileName(datafiles::kXpt);
    else if (kind == kJobPrimary) {
        const std::uint32_t done = status.primaryDoneMask;
        for (int i = 0; i < datafiles::kPrimaryCount; ++i) {
            if ((setup.primaryBackupFiles & (1 << i)) && !(done & (1u << i)))
                failed << datafiles::FileName(datafiles::CodeOfCharacter(datafiles::kPrimaryTypes[i]));
        }
    }
    failed.removeDuplicates();
    return failed;
}

history::SnapshotResult JobSnapshot::AfterJob(const StatusBlock& status, const SetupRecord& setup,
                                              const JobReport& report) {
    if (status.direction != Direction::Receive || setup.backupDataPath.isEmpty())
        return {};
    return history::BackupHistory::Snapshot(setup.backupDataPath, setup.name,
                                            JobName(Direction::Receive, status.jobKind),
                                            FailedFiles(status, setup, report));
}

QString JobSnapshot::RecordResult(const SetupRecord& setup, JobKind kind, const QDateTime& started, bool ok,
                                  const QString& error, const QStringList& missing) {
    if (setup.backupDataPath.isEmpty() ||
        (kind != kJobPrimary && kind != kJobDescription && kind != kJobCrosspoint))
        return {};
    history::JobResult result;
    result.started = started;
    result.finished = QDateTime::currentDateTimeUtc();
    result.ok = ok;
    result.error = ok ? QString() : error;
    result.missing = missing;
    QString why;
    if (!history::JobRecord::Record(setup.backupDataPath, JobName(Direction::Receive, kind).mid(8).toLower(),
                                    result, &why))
        return QStringLiteral("the job's result was not recorded: ") + why;
    return {};
}

} // namespace qdv
