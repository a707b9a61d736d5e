#pragma once

#include "cli/Command.h"

namespace qdv::cli {

// `history [-n N] [--json]`: the snapshots of the chosen setup's backup folder, newest first.
class History : public Command {
public:
    History();
    int Execute(CliContext& ctx, const QStringList& arguments) override;
};

} // namespace qdv::cli
