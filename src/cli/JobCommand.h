#pragma once

#include "app/JobReport.h"
#include "cli/CliContext.h"
#include "link/FileResult.h"

#include <QStringList>
#include <vector>

namespace qdv::cli {

// How one transfer job of the command-line tool ended.
struct JobOutcome {
    int exitCode = kExitOk; // kExitOk, kExitFailed or kExitAborted
    QString error;          // why the job failed, for the operator; empty when it succeeded
    JobReport report;
    std::vector<FileResult> files; // every file's end, in order
};

// The job kind a word of the command line names (description, crosspoint, primary), else -1; and back.
int JobKindOfWord(const QString& word);
QString WordOfJobKind(int kind);

// Every file the job did not store: those that failed or were skipped, and those the report lists.
QStringList MissingFiles(const JobOutcome& outcome);

// The log line of one file: its name, what became of it, its size and, on failure, the reason (the
// system's own words when there are some, else the catalogue text).
QString FileLogLine(const FileResult& file, bool send);

// Runs one transfer job of `setup` through the task controller and the link engine. Each file's end
// is logged on stderr as it happens, one line per file; a terminal also gets a progress bar. The
// job's error and the files not moved are printed at its end, and a receive is recorded in the backup
// folder's history unless `recordHistory` is false.
JobOutcome RunOneJob(CliContext& ctx, const SetupRecord& setup, bool send, int kind,
                     bool recordHistory = true);

// After a successful send: receives the same files again into a temporary folder and compares them
// byte for byte with what was sent, logging each file and the first differing address. Exit status 1
// when a file differs or cannot be read back; the backup folder is not touched.
int VerifySend(CliContext& ctx, const SetupRecord& setup, int kind);

// `receive|send KIND` of the chosen setup; `verify` reads a send back and compares it.
int RunJob(CliContext& ctx, bool send, const QStringList& words, bool verify = false);

} // namespace qdv::cli
