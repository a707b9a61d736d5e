#pragma once

#include "app/JobReport.h"
#include "history/BackupHistory.h"
#include "store/JobKind.h"
#include "store/SetupRecord.h"

#include <QDateTime>
#include <QStringList>

namespace qdv {

class StatusBlock;

// The history's side of a finished job: what to call it and which files it could not store.
class JobSnapshot {
public:
    // "Receive Primary", "Receive Description", ..., "Send Primary", ...
    static QString JobName(Direction direction, JobKind kind);

    // Files a receive job did not store: those of the report's list and, after a failure, the file of a
    // Description or Crosspoint job or the Primary files not marked done.
    static QStringList FailedFiles(const StatusBlock& status, const SetupRecord& setup,
                                   const JobReport& report);

    // After a receive job of any kind: snapshots the setup's backup folder when the job changed it.
    // Sends change nothing and are not recorded (the result is then Unchanged).
    static history::SnapshotResult AfterJob(const StatusBlock& status, const SetupRecord& setup,
                                            const JobReport& report);
    // After a receive job of Primary, Description or Crosspoint (other kinds are not recorded): keeps how
    // it ended in the backup folder's job record, which `status` and the metrics read. `error` is the
    // first error (empty when ok). Returns why the record could not be written, else empty.
    static QString RecordResult(const SetupRecord& setup, JobKind kind, const QDateTime& started, bool ok,
                                const QString& error, const QStringList& missing);
};

} // namespace qdv
