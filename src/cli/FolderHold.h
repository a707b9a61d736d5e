#pragma once

#include "store/FolderLock.h"

#include <QString>

namespace qdv::cli {

class CliContext;

// Takes the lock of a backup folder for a command's writing (or a send's reading). While another
// writer holds it, says once on stderr "qdv70cli: waiting for the backup folder: <who holds it>" and
// waits up to the --wait-folder time; Ctrl-C or SIGTERM ends the wait. Returns 0 when `lock` holds the
// folder (or the folder cannot hold a lock file at all: the command then meets the file system's own
// refusal), else the exit status, the reason already printed: 1 when the wait ran out, 130 when
// interrupted.
// `why` (when given) gets the reason of a failure.
int HoldFolder(CliContext& ctx, const QString& folder, const QString& job, FolderLock& lock,
               QString* why = nullptr);

} // namespace qdv::cli
