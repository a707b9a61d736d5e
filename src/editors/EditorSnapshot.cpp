#include "editors/EditorSnapshot.h"

#include "history/BackupHistory.h"

namespace qdv {

void RecordEditorSnapshot(const SetupRecord& setup, const QString& what, OkOutcome* outcome) {
    const history::SnapshotResult snapshot =
        history::BackupHistory::Snapshot(setup.backupDataPath, setup.name, what);
    QStringList notes;
    if (!snapshot.notice.isEmpty())
        notes << snapshot.notice;
    if (!snapshot.pushError.isEmpty())
        notes << snapshot.pushError;
    outcome->note = notes.join(QLatin1Char('\n'));
}

QString HoldEditorFolder(const SetupRecord& setup, const QString& job, FolderLock& lock) {
    // The window waits meanwhile, so not long.
    constexpr int kWaitMs = 3000;
    if (lock.Lock(setup.backupDataPath, job, kWaitMs) != FolderLock::Result::Busy)
        return {};
    return QStringLiteral("No file was written.\nThe backup folder is busy: %1.").arg(lock.Holder());
}

} // namespace qdv
