#pragma once

#include <QDateTime>
#include <QMap>
#include <QString>
#include <QStringList>

namespace qdv::history {

// How the last receive job of one kind ended in a backup folder.
struct JobResult {
    QDateTime started;  // invalid when not known
    QDateTime finished; // when the job ended
    bool ok = false;
    QString error;         // the first error, for the operator; empty when ok
    QStringList missing;   // files the job did not store
    QDateTime lastSuccess; // the last job of this kind that ended ok (kept across failures)

    double DurationSeconds() const {
        return started.isValid() && finished.isValid() ? started.msecsTo(finished) / 1000.0 : 0.0;
    }
};

// The record of each job's result, one small state file per backup folder (".qdv70-jobs.json", hidden
// like the history's .git, so snapshots, verify and diff never see it). It is replaced atomically, and
// a record that cannot be read counts as none: it only says how jobs ended, never holds backup data.
// Its read-modify-write holds the backup folder's lock, so that two programs recording at once (the
// nightly backup and the desktop program) keep both entries.
class JobRecord {
public:
    static constexpr const char* kFileName = ".qdv70-jobs.json";
    // How long a record waits for another holder of the folder, like the other short writers.
    static constexpr int kLockWaitMs = 2000;

    // Results by kind word ("primary", "description", "crosspoint"); empty when none is recorded.
    static QMap<QString, JobResult> Read(const QString& folder);
    // Records the end of a job of `kind`; `result.lastSuccess` is taken from the record (or the job
    // itself when it is ok). Takes the folder's lock, waiting up to `waitMs` for another holder (a
    // caller holding it on this thread already nests). False, with `error`, when the folder stayed
    // held or the file could not be written.
    static bool Record(const QString& folder, const QString& kind, JobResult result, QString* error = nullptr,
                       int waitMs = kLockWaitMs);
};

} // namespace qdv::history
