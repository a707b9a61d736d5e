#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>

namespace qdv::history {

// One change between two states of a backup folder, in the operator's terms: a description, an alias,
// a route, a label, a setting of the standard settings, a range of bytes, a file added or removed.
struct MeaningChange {
    QString file;        // folder-relative path of the data file
    QString text;        // one line, e.g. `source 12 description: "CAM 1" -> "CAM 1B"`
    QJsonObject details; // the same as an object: "kind" and the kind's fields, "old" and "new"
};

using MeaningChanges = QList<MeaningChange>;

} // namespace qdv::history
