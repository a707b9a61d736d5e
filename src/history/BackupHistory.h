#pragma once

#include "history/MeaningChange.h"
#include "history/SnapshotInfo.h"

#include <QString>
#include <QStringList>

namespace qdv {
class TmFile;
}

namespace qdv::history {

// Settings of the history for this run, from the home folder's QDV70COMM.INI.
struct HistoryOptions {
    // [HISTORY] REMOTE=: a git remote (path or URL) that every new snapshot is pushed to, on a branch
    // named after the setup. Empty: no push. A relative path is taken from the home folder.
    QString remote;
};

// What a snapshot did.
struct SnapshotResult {
    enum class Outcome {
        Committed, // the folder changed; a new snapshot holds it
        Unchanged, // the folder is as the last snapshot has it; nothing committed
        Off,       // no history for this folder (missing folder, or a `.git` that is not ours)
        Failed,    // the history could not be written; the backup itself is untouched
    };
    Outcome outcome = Outcome::Unchanged;
    QString commitId; // of the new snapshot
    // For the operator: why the history is off (said once per folder and run) or failed; empty when
    // there is nothing to say.
    QString notice;
    // Why a push to the remote failed; it is tried again with the next snapshot.
    QString pushError;

    bool Ok() const { return outcome != Outcome::Failed && pushError.isEmpty(); }
};

// The changes between two states of a folder.
struct HistoryDiff {
    QString oldId; // commit ids; empty for the empty folder (old) or the folder as it is (new)
    QString newId;
    MeaningChanges changes;
};

// What a restore wrote.
struct RestoreResult {
    QString restoredId;   // the snapshot whose files were written
    QStringList written;  // folder-relative paths replaced
    QStringList removed;  // files the snapshot did not have (full restore only; kept in the history)
    SnapshotResult after; // the snapshot that records the restore
};

// The history of backup folders: every change the program makes to a folder becomes a snapshot in a git
// repository inside that folder.
//
// Snapshot() is the one call a job needs: call it after the job has replaced its files (receive, editor
// OK, import, restore, service write-back), from any thread. It stages the folder as it is, commits
// only when something changed (so it costs nothing after a job that stored nothing), creates the
// history on a folder's first job, pushes to the configured remote, and never touches a `.git` it did
// not make. It never fails a job: problems come back in the result for the caller to show.
class BackupHistory {
public:
    // The options every Snapshot() of this run uses; set once at start-up.
    static void Configure(const HistoryOptions& options);
    static HistoryOptions Options();
    // Reads the options from QDV70COMM.INI of the home folder.
    static HistoryOptions ReadOptions(const TmFile& files);

    // `folder`: the setup's backup data path. `setupName`: named in the snapshot and the remote branch.
    // `what`: what changed the folder, e.g. "Receive Primary", "Edit descriptions", "Import crosspoints".
    // `failedFiles`: names of the files the job could not store, kept in the snapshot's message.
    static SnapshotResult Snapshot(const QString& folder, const QString& setupName, const QString& what,
                                   const QStringList& failedFiles = {});
    static SnapshotResult Snapshot(const QString& folder, const QString& setupName, const QString& what,
                                   const QStringList& failedFiles, const HistoryOptions& options);

    // Snapshots of `folder`, newest first, at most `max` (<= 0: all). A folder without history has none.
    static bool Log(const QString& folder, int max, std::vector<SnapshotInfo>* out, QString* error);

    // The changes from `oldRevision` to `newRevision` (snapshot ids or prefixes, HEAD~n, or "working"
    // for the folder as it is). Both empty: the last two snapshots; only the new one empty: the last.
    static bool Diff(const QString& folder, const QString& oldRevision, const QString& newRevision,
                     HistoryDiff* out, QString* error);

    // Writes the files of snapshot `revision` into `folder`, each replaced atomically, and records the
    // result as a new snapshot. `files` (paths or bare names, without regard to case) restores only
    // those; empty restores the whole snapshot and removes files it did not have. A folder that differs
    // from its last snapshot is snapshotted first, so nothing of it is lost. Nothing is sent anywhere.
    static bool Restore(const QString& folder, const QString& setupName, const QString& revision,
                        const QStringList& files, RestoreResult* out, QString* error);

    // The snapshot's commit message: the job, then the setup and the failed files.
    static QString Message(const QString& setupName, const QString& what, const QStringList& failedFiles);
};

} // namespace qdv::history
