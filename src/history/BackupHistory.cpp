#include "history/BackupHistory.h"

#include "history/HistoryRepository.h"
#include "history/MeaningDiff.h"
#include "store/AtomicFile.h"
#include "store/FolderLock.h"
#include "store/IniFile.h"
#include "store/TmFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QThread>

#include <mutex>

namespace qdv::history {

namespace {

// One snapshot at a time in this process: jobs, editors and services may end at the same moment.
std::mutex g_mutex;
// One push at a time. A push may wait long on the network, so it runs outside the snapshot lock: a
// snapshot that finds a push running leaves its own push owed to the next snapshot rather than wait.
std::mutex g_pushMutex;
bool g_pushOwed = false; // under g_mutex: a push was left owed while another ran
HistoryOptions g_options;
QSet<QString> g_toldOff;

constexpr int kCommitTries = 3;
constexpr int kRetryPauseMs = 200;
// A snapshot holds a lock for milliseconds; one untouched this long was left by a run that ended.
constexpr qint64 kStaleLockSecs = 600;

bool IsUrlOrScp(const QString& remote) {
    return remote.contains(QLatin1String("://")) ||
           (remote.contains(QLatin1Char(':')) && !remote.startsWith(QLatin1Char('/')));
}

} // namespace

void BackupHistory::Configure(const HistoryOptions& options) {
    const std::lock_guard<std::mutex> lock(g_mutex);
    g_options = options;
}

HistoryOptions BackupHistory::Options() {
    const std::lock_guard<std::mutex> lock(g_mutex);
    return g_options;
}

HistoryOptions BackupHistory::ReadOptions(const TmFile& files) {
    IniFile ini;
    ini.Load(files.CommFilePath());
    HistoryOptions options;
    options.remote = ini.ReadString(QStringLiteral("HISTORY"), QStringLiteral("REMOTE"), QString()).trimmed();
    if (!options.remote.isEmpty() && !IsUrlOrScp(options.remote) && QDir::isRelativePath(options.remote))
        options.remote = QDir(files.HomeFolder()).absoluteFilePath(options.remote);
    return options;
}

QString BackupHistory::Message(const QString& setupName, const QString& what,
                               const QStringList& failedFiles) {
    QString message = what + QStringLiteral("\n\nSetup: ") + setupName + QLatin1Char('\n');
    if (!failedFiles.isEmpty())
        message += QStringLiteral("Failed: ") + failedFiles.join(QStringLiteral(", ")) + QLatin1Char('\n');
    return message;
}

SnapshotResult BackupHistory::Snapshot(const QString& folder, const QString& setupName, const QString& what,
                                       const QStringList& failedFiles) {
    return Snapshot(folder, setupName, what, failedFiles, Options());
}

SnapshotResult BackupHistory::Snapshot(const QString& folder, const QString& setupName, const QString& what,
                                       const QStringList& failedFiles, const HistoryOptions& options) {
    SnapshotResult result;
    // A history still to be made is made under the folder's lock, taken before the snapshot lock: a
    // thread holding the folder (an editor's OK, a command) may itself be waiting for a snapshot.
    FolderLock making;
    if (QFileInfo(folder).isDir() && !HistoryRepository::IsOursAt(folder) &&
        making.Lock(folder, QStringLiteral("making the history"), HistoryRepository::kMakeWaitMs) ==
            FolderLock::Result::Busy) {
        result.outcome = SnapshotResult::Outcome::Failed;
        result.notice = QStringLiteral("History of %1 not written: the backup folder is busy: %2")
                            .arg(folder, making.Holder());
        return result;
    }
    std::unique_lock<std::mutex> lock(g_mutex);
    HistoryRepository::OpenState state = HistoryRepository::OpenState::Ok;
    QString error;
    const auto repo = HistoryRepository::Open(folder, true, &state, &error);
    if (state == HistoryRepository::OpenState::NoFolder) {
        result.outcome = SnapshotResult::Outcome::Off;
        return result;
    }
    if (state == HistoryRepository::OpenState::Foreign) {
        result.outcome = SnapshotResult::Outcome::Off;
        const QString key = QDir::cleanPath(QDir(folder).absolutePath());
        if (!g_toldOff.contains(key)) {
            g_toldOff.insert(key);
            result.notice =
                QStringLiteral("History is off for %1: its .git was not made by this program and is "
                               "left alone.")
                    .arg(QDir::toNativeSeparators(key));
        }
        return result;
    }
    if (!repo) {
        result.outcome = SnapshotResult::Outcome::Failed;
        result.notice = QStringLiteral("History of %1 not written: %2").arg(folder, error);
        return result;
    }

    const QStringList staleLocks = repo->RemoveStaleLocks(kStaleLockSecs);
    // Another program may hold the history's lock for a moment (a second instance, a command-line job).
    bool committed = false;
    for (int attempt = 0; attempt < kCommitTries && !committed; ++attempt) {
        if (attempt > 0)
            QThread::msleep(kRetryPauseMs);
        committed = repo->Commit(Message(setupName, what, failedFiles), &result.commitId, &error);
    }
    if (!committed) {
        result.outcome = SnapshotResult::Outcome::Failed;
        result.notice = QStringLiteral("History of %1 not written: %2").arg(folder, error);
        return result;
    }
    result.outcome =
        result.commitId.isEmpty() ? SnapshotResult::Outcome::Unchanged : SnapshotResult::Outcome::Committed;
    if (!staleLocks.isEmpty())
        result.notice = QStringLiteral("History of %1: removed %2 left behind by an interrupted run.")
                            .arg(folder, staleLocks.join(QStringLiteral(", ")));

    // A push that failed before is owed even when this job changed nothing.
    if (options.remote.isEmpty() || (result.commitId.isEmpty() && !repo->PushPending()))
        return result;
    std::unique_lock<std::mutex> push(g_pushMutex, std::try_to_lock);
    if (!push.owns_lock()) {
        repo->SetPushPending(true);
        g_pushOwed = true;
        return result;
    }
    g_pushOwed = false;
    lock.unlock();
    const bool pushed = repo->Push(options.remote, HistoryRepository::SafeBranchName(setupName), &error);
    lock.lock();
    // A snapshot committed while this push ran may not be in it: its push stays owed.
    repo->SetPushPending(!pushed || g_pushOwed);
    if (!pushed)
        result.pushError = error;
    return result;
}

} // namespace qdv::history

namespace qdv::history {

namespace {

constexpr char kWorking[] = "working";

std::unique_ptr<HistoryRepository> OpenExisting(const QString& folder, QString* error) {
    HistoryRepository::OpenState state = HistoryRepository::OpenState::Ok;
    auto repo = HistoryRepository::Open(folder, false, &state, error);
    if (!repo && error && error->isEmpty()) {
        switch (state) {
        case HistoryRepository::OpenState::NoFolder:
            *error = QStringLiteral("no backup folder %1").arg(folder);
            break;
        case HistoryRepository::OpenState::Foreign:
            *error = QStringLiteral("%1 holds a .git this program did not make; it has no history here")
                         .arg(folder);
            break;
        default:
            *error = QStringLiteral("%1 has no history yet").arg(folder);
        }
    }
    return repo;
}

// The id a revision names, empty for "working".
bool ResolveSide(HistoryRepository& repo, const QString& revision, QString* id, QString* error) {
    if (revision == QLatin1String(kWorking)) {
        id->clear();
        return true;
    }
    return repo.Resolve(revision, id, error);
}

TerminalNames NamesAt(HistoryRepository& repo, const QString& id) {
    QByteArray std;
    QByteArray nme;
    repo.FileAt(id, QStringLiteral("Primary/ZEBU_STD.DAU"), &std);
    repo.FileAt(id, QStringLiteral("Name/ZEBU_NME.DAU"), &nme);
    TerminalNames names;
    names.Load(std, nme);
    return names;
}

bool Wanted(const QString& path, const QStringList& files) {
    if (files.isEmpty())
        return true;
    const QString name = path.section(QLatin1Char('/'), -1);
    for (const QString& f : files) {
        if (f.compare(path, Qt::CaseInsensitive) == 0 || f.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

} // namespace

bool BackupHistory::Log(const QString& folder, int max, std::vector<SnapshotInfo>* out, QString* error) {
    out->clear();
    const auto repo = OpenExisting(folder, error);
    return repo && repo->Log(max, out, error);
}

bool BackupHistory::Diff(const QString& folder, const QString& oldRevision, const QString& newRevision,
                         HistoryDiff* out, QString* error) {
    *out = HistoryDiff();
    const auto repo = OpenExisting(folder, error);
    if (!repo)
        return false;
    const QString newRev = newRevision.isEmpty() ? QStringLiteral("HEAD") : newRevision;
    if (!ResolveSide(*repo, newRev, &out->newId, error))
        return false;
    if (oldRevision.isEmpty()) {
        // The snapshot before the new one; the first snapshot is compared with the empty folder.
        const QString base =
            out->newId.isEmpty() ? QStringLiteral("HEAD") : out->newId + QStringLiteral("~1");
        QString ignored;
        if (!repo->Resolve(base, &out->oldId, &ignored))
            out->oldId.clear();
    } else if (!ResolveSide(*repo, oldRevision, &out->oldId, error)) {
        return false;
    } else if (out->oldId.isEmpty()) {
        if (error)
            *error = QStringLiteral("the old side of a diff must be a snapshot");
        return false;
    }
    QList<FileChange> files;
    if (!repo->Changes(out->oldId, out->newId, &files, error))
        return false;
    out->changes = MeaningDiff::Describe(files, NamesAt(*repo, out->oldId), NamesAt(*repo, out->newId));
    return true;
}

bool BackupHistory::Restore(const QString& folder, const QString& setupName, const QString& revision,
                            const QStringList& files, RestoreResult* out, QString* error) {
    *out = RestoreResult();
    {
        const auto repo = OpenExisting(folder, error);
        if (!repo || !repo->Resolve(revision, &out->restoredId, error))
            return false;
        QList<FileChange> snapshot;
        if (!repo->Files(out->restoredId, &snapshot, error))
            return false;
        QStringList unknown = files;
        for (const FileChange& f : snapshot) {
            for (qsizetype i = unknown.size() - 1; i >= 0; --i) {
                if (Wanted(f.path, {unknown[i]}))
                    unknown.removeAt(i);
            }
        }
        if (!unknown.isEmpty()) {
            if (error)
                *error =
                    QStringLiteral("snapshot %1 has no %2").arg(revision, unknown.join(QStringLiteral(", ")));
            return false;
        }

        // Whatever the folder holds now goes into the history before it is overwritten.
        const SnapshotResult before =
            Snapshot(folder, setupName, QStringLiteral("Before restore of %1").arg(out->restoredId.left(7)));
        if (before.outcome == SnapshotResult::Outcome::Failed) {
            if (error)
                *error = before.notice;
            return false;
        }
        for (const FileChange& f : snapshot) {
            if (!Wanted(f.path, files))
                continue;
            const QString target = folder + QLatin1Char('/') + f.path;
            QString writeError;
            if (!QDir().mkpath(QFileInfo(target).absolutePath()) ||
                !WriteFileAtomically(target, f.newData, &writeError)) {
                if (error)
                    *error = QStringLiteral("cannot write %1: %2").arg(f.path, writeError);
                return false;
            }
            out->written << f.path;
        }
        if (files.isEmpty()) {
            QList<FileChange> extra;
            if (!repo->Changes(out->restoredId, QString(), &extra, error))
                return false;
            for (const FileChange& f : extra) {
                if (!f.inOld && QFile::remove(folder + QLatin1Char('/') + f.path))
                    out->removed << f.path;
            }
        }
    }
    out->after = Snapshot(folder, setupName, QStringLiteral("Restore %1").arg(out->restoredId.left(7)));
    if (out->after.outcome == SnapshotResult::Outcome::Failed) {
        if (error)
            *error = out->after.notice;
        return false;
    }
    return true;
}

} // namespace qdv::history
