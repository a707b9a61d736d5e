#pragma once

#include "app/JobReport.h"
#include "cli/CliContext.h"
#include "cli/Command.h"
#include "link/FileResult.h"
#include "store/JobKind.h"

#include <QStringList>
#include <optional>
#include <vector>

namespace qdv::cli {

// How one transfer job of the command-line tool ended.
struct JobOutcome {
    int exitCode = kExitOk; // kExitOk, kExitFailed or kExitAborted
    QString error;          // why the job failed, for the operator; empty when it succeeded
    JobReport report;
    std::vector<FileResult> files; // every file's end, in order

    // Every file the job did not store: those that failed or were skipped, and those the report lists.
    QStringList MissingFiles() const;
};

// The commands that move data between the device and a setup's backup folder: receive, send and
// backup. The base does what they share: the job kinds by their words, holding the backup folder,
// running a transfer job through the task controller and the link engine (each file logged on stderr,
// a progress bar on a terminal, Ctrl-C a cancel, the receive recorded in the folder's history), and
// the secondary stations' jobs through an engine session. Each command adds its own verb logic.
class JobCommand : public Command {
public:
    // The job kind a word of the command line names (description, crosspoint, primary), else -1; and back.
    static int KindOfWord(const QString& word);
    static QString WordOfKind(int kind);

protected:
    using Command::Command;

    // --stations LIST, for the secondary stations.
    void AddStationsOption();
    bool StationsGiven() const;
    // The setup and kind of `receive|send KIND`: the chosen setup, and one of description, crosspoint
    // or primary. Empty to go on; else the exit status, after saying why.
    std::optional<int> ChooseJob(CliContext& ctx, Direction direction, const QStringList& words,
                                 SetupRecord* setup, JobKind* kind) const;
    // Runs one transfer job of `setup`. Each file's end is logged on stderr as it happens; the job's
    // error and the files not moved are printed at its end, and a receive is recorded in the backup
    // folder's history unless `recordHistory` is false.
    static JobOutcome RunTransfer(CliContext& ctx, const SetupRecord& setup, Direction direction,
                                  JobKind kind, bool recordHistory = true);
    // Receives or sends the data of the checked stations, or of --stations; one line per station with
    // its result at the end.
    int RunSecondary(CliContext& ctx, Direction direction) const;
};

} // namespace qdv::cli
