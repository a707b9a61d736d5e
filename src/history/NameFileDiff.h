#pragma once

#include "history/MeaningChange.h"

#include <QByteArray>

namespace qdv::history {

// Changes of the description file ZEBU_NME.DAU and the alias files ZEBU_ALS1..7.DAU: one line per
// source or destination text that differs, then any other bytes of the image (the description change
// list) as ranges.
class NameFileDiff {
public:
    // `alias` 0 for the description file, 1..7 for an alias file. False when either text does not load
    // as that file (wrong size); the caller then compares bytes.
    static bool Describe(const QString& file, int alias, const QByteArray& oldText, const QByteArray& newText,
                         MeaningChanges* out);
};

} // namespace qdv::history
