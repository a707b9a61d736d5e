#pragma once

#include <QString>

namespace qdv {

// Writes a complete backup folder of a small plausible plant into `dir`: every Primary file at its
// exact size (terminal labels, type names and station tables in ZEBU_STD.DAU), descriptions and
// aliases in Name, routed crosspoints in XPoint and the files of secondary stations 2..4. The content
// is fixed, so two calls give the same bytes. False, with `error` set, when a file cannot be written.
bool WriteSampleDataSet(const QString& dir, QString* error);

} // namespace qdv
