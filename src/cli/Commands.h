#pragma once

#include "cli/Command.h"

#include <memory>
#include <vector>

namespace qdv::cli {

// The registry of qdv70cli's commands, in the order `qdv70cli help` lists them.
const std::vector<std::unique_ptr<Command>>& AllCommands();
// The command named `name`, or null.
Command* FindCommand(const QString& name);

} // namespace qdv::cli
