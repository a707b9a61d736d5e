#pragma once

#include "cli/Command.h"

#include <memory>
#include <vector>

namespace qdv::cli {

// The registry of qdv70cli's commands, in the order `qdv70cli help` lists them.
const std::vector<std::unique_ptr<Command>>& AllCommands();
// The command named `name`, or null.
Command* FindCommand(const QString& name);
// Runs the tool's words (the global options, then the command and its words) with `ctx`, which has
// parsed nothing yet; returns the exit status. The tool's main calls it, the tests call it in process.
int RunCommandLine(CliContext& ctx, QStringList args);

} // namespace qdv::cli
