#pragma once

#include "history/BackupHistory.h"

#include <QTextStream>

namespace qdv::cli {

// What a snapshot at the end of a command has to say goes to stderr; it never changes the exit status.
inline void ReportSnapshot(const history::SnapshotResult& result, QTextStream& err) {
    if (!result.notice.isEmpty())
        err << "qdv70cli: " << result.notice << '\n';
    if (!result.pushError.isEmpty())
        err << "qdv70cli: history: " << result.pushError << " (tried again with the next snapshot)\n";
}

} // namespace qdv::cli
