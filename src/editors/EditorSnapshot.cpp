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

} // namespace qdv
