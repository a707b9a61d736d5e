#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

namespace qdv {

// Replaces `path` with `data`: the data go to a temporary file in the same folder, which is flushed to
// disk and then renamed over the target. A crash or a full disk leaves either the old file or the new
// one, never a mixture. On failure `error` (when given) says why and the target is untouched.
bool WriteFileAtomically(const QString& path, const QByteArray& data, QString* error = nullptr);

// Replaces several files as one set: every file is first written in full to a temporary file beside its
// target, and only when all of them are written are they renamed over their targets. A failure while
// writing (a full disk, a folder without write access) replaces none of them; `error` says which file
// failed and why.
bool WriteFilesAtomically(const QList<QPair<QString, QByteArray>>& files, QString* error = nullptr);

// Reads a whole file; false when it does not exist or cannot be read.
bool ReadWholeFile(const QString& path, QByteArray* data);

} // namespace qdv
