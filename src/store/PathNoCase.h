#pragma once

#include <QString>

namespace qdv {

// Backups copied from Windows may spell folders and files in any case ("NAME", "Xpoint",
// "zebu_std.dau"). These helpers find an existing entry without regard to case and fall back to the
// given spelling, which is then the one a new file or folder is created with.

// `dir` joined with the existing entry matching `name` case-insensitively, or with `name` as given.
QString JoinNoCase(const QString& dir, const QString& name);

} // namespace qdv
