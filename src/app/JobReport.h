#pragma once

#include "store/SetupRecord.h"

#include <QString>
#include <QStringList>

namespace qdv {

class StatusBlock;

// What the operator is told when a Receive or Send job of the main window (Primary, Description,
// Crosspoint) has ended: either the catalogue text of its error, or the list of files that were not
// moved, or nothing.
struct JobReport {
    int errorCode = 0;   // catalogue code to show as an error, 0 for none
    QStringList missing; // file names not acquired or not transmitted
    QString listTitle;   // "The following files were not able to be acquired." / "... transmitted."

    bool Success() const { return errorCode == 0 && missing.isEmpty(); }
    // The list box text: the title and one indented line per file.
    QString ListText() const;

    // Reads a finished job from the status block. `cancelled`: the operator pressed Cancel.
    static JobReport FromStatus(const StatusBlock& status, const SetupRecord& setup, bool cancelled);
};

} // namespace qdv
