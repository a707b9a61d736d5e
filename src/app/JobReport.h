#pragma once

#include "store/JobKind.h"
#include "store/SetupRecord.h"

#include <QMap>
#include <QString>
#include <QStringList>

namespace qdv {

class StatusBlock;
class TmTableRemote;

// What the operator is told when a Receive or Send job of the main window (Primary, Description,
// Crosspoint) has ended: either the catalogue text of its error, or the list of files that were not
// moved, or nothing.
struct JobReport {
    int errorCode = 0;   // catalogue code to show as an error, 0 for none
    QStringList missing; // file names not acquired or not transmitted
    QString listTitle;   // "The following files were not able to be acquired." / "... transmitted."
    QMap<QString, QString> reasons; // why a file of `missing` was not moved, where known
    QString detail;                 // why the job failed in the system's own words, when known

    QString errorText; // an error in words of its own (the backup folder stayed busy), else empty

    // The catalogue text of the error, followed on a line of its own by the reason when there is one.
    QString ErrorText() const;

    bool Success() const { return errorCode == 0 && missing.isEmpty() && errorText.isEmpty(); }
    // The list box text: the title and one indented line per file, with its reason where known.
    QString ListText() const;

    // Reads a finished job from the status block. `cancelled`: the operator pressed Cancel.
    static JobReport FromStatus(const StatusBlock& status, const SetupRecord& setup, bool cancelled);

    // A Description or Crosspoint send whose file cannot be sent (missing, wrong size, no compact list)
    // would queue nothing and end without a word, as if it had worked. Checked before such a job
    // starts: the report names the file; Success() when it can be sent, and for every other job.
    static JobReport CheckSendFile(TmTableRemote& resolver, const SetupRecord& setup, JobKind kind);
};

} // namespace qdv
