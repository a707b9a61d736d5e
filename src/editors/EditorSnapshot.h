#pragma once

#include "editors/OkOutcome.h"
#include "store/SetupRecord.h"

#include <QString>

namespace qdv {

// Records what an editor's OK wrote as a snapshot of the setup's backup history (`what` names the
// change); whatever the history has to say goes into the outcome's note. The files stay as written.
void RecordEditorSnapshot(const SetupRecord& setup, const QString& what, OkOutcome* outcome);

} // namespace qdv
