#pragma once

#include "editors/OkOutcome.h"
#include "store/FolderLock.h"
#include "store/SetupRecord.h"

#include <QString>

namespace qdv {

// Records what an editor's OK wrote as a snapshot of the setup's backup history (`what` names the
// change); whatever the history has to say goes into the outcome's note. The files stay as written.
void RecordEditorSnapshot(const SetupRecord& setup, const QString& what, OkOutcome* outcome);

// Takes the backup folder's lock for an editor's OK, waiting a few seconds for another writer (a
// receive, an import). Empty when `lock` holds it (or the folder cannot hold a lock file); else why
// nothing was written, for the operator, who may press OK again.
QString HoldEditorFolder(const SetupRecord& setup, const QString& job, FolderLock& lock);

} // namespace qdv
