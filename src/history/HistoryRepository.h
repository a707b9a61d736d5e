#pragma once

#include "history/GitHandle.h"
#include "history/SnapshotInfo.h"

#include <QList>
#include <QString>
#include <memory>
#include <vector>

namespace qdv::history {

// The git repository that keeps the history of one backup folder: `.git` inside the folder, so the
// folder itself stays a plain backup folder. A repository counts as ours only when its local
// configuration carries our mark; any other `.git` (or one above the folder) is never opened for
// writing.
//
// Every data file of the folder is tracked except the working files of transfers and conversions
// (*.BAK, *.OLD, the compact crosspoint list *.MKE, the editors' *.CSV texts) and temporary files of
// an atomic replace; git must never convert line ends, since the files carry CR LF byte for byte.
class HistoryRepository {
public:
    enum class OpenState {
        Ok,
        NoFolder, // the backup folder does not exist
        None,     // no history yet and none was to be created
        Foreign,  // a `.git` that is not ours: left alone
        Failed,   // libgit2 refused; the error says why
    };

    // How long the making of a history waits for another writer of the folder.
    static constexpr int kMakeWaitMs = 10000;

    // Whether `folder` has a history made by this program.
    static bool IsOursAt(const QString& folder);

    // Opens the history of `folder`; with `create` a folder without `.git` gets a new history, made
    // under the folder's lock; a `.git` whose making was cut off before it was marked is finished.
    static std::unique_ptr<HistoryRepository> Open(const QString& folder, bool create, OpenState* state,
                                                   QString* error);

    const QString& Folder() const { return m_folder; }

    // Removes the lock files of the history (index, HEAD, configuration, references) that were last
    // touched more than `olderThanSecs` ago: a run that ended in the middle of writing one leaves it
    // behind, and every later snapshot would fail on it. Returns their paths relative to the `.git`.
    QStringList RemoveStaleLocks(qint64 olderThanSecs);

    // Stages the folder as it is and commits it with `message` when it differs from the last snapshot.
    // `commitId` gets the new commit's id, or stays empty when nothing changed.
    bool Commit(const QString& message, QString* commitId, QString* error);

    // Snapshots, newest first; `max` <= 0 for all.
    bool Log(int max, std::vector<SnapshotInfo>* out, QString* error);

    // The full commit id that `revision` names (an id or a unique prefix of one, HEAD, HEAD~n).
    bool Resolve(const QString& revision, QString* commitId, QString* error);

    // Files that differ from snapshot `oldId` to snapshot `newId`; an empty `oldId` is the empty folder
    // (before the first snapshot), an empty `newId` the folder as it is now.
    bool Changes(const QString& oldId, const QString& newId, QList<FileChange>* out, QString* error);

    // The contents of `path` (folder-relative, found without regard to case) in snapshot `commitId`, or in
    // the folder as it is for an empty id. False when there is no such file.
    bool FileAt(const QString& commitId, const QString& path, QByteArray* data);

    // Every tracked file of snapshot `commitId`: folder-relative path and contents.
    bool Files(const QString& commitId, QList<FileChange>* out, QString* error);

    // Pushes the current branch to `remote` as refs/heads/`branch`; a rejected update is a failure.
    bool Push(const QString& remote, const QString& branch, QString* error);
    // Whether an earlier push failed and is still owed.
    bool PushPending();
    void SetPushPending(bool pending);

    // Whether a folder-relative path is kept in snapshots (working and temporary files are not).
    static bool IsTracked(const QString& path);

    // A branch name made of `name` that git accepts.
    static QString SafeBranchName(const QString& name);

private:
    HistoryRepository(const QString& folder, RepoPtr repo);
    static bool IsOurs(git_repository* repo);
    static bool MarkOurs(git_repository* repo, QString* error);
    // Our branch and not a snapshot on it: a history whose making ended before it was marked.
    static bool IsHalfMade(git_repository* repo);
    bool LookupTree(const QString& commitId, TreePtr* tree, QString* error);
    QByteArray BlobData(const git_oid& id);

    QString m_folder;
    RepoPtr m_repo;
};

} // namespace qdv::history
