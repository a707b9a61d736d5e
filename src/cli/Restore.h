#pragma once

#include "cli/Command.h"

namespace qdv::cli {

// `restore SNAPSHOT [--files FILE...] [--json]`: writes an older snapshot's files back into the backup
// folder.
class Restore : public Command {
public:
    Restore();
    int Execute(CliContext& ctx, const QStringList& arguments) override;
};

} // namespace qdv::cli
