#pragma once

#include "cli/Command.h"

namespace qdv::cli {

// `diff [OLD [NEW]] [--json]`: the changes between two snapshots (or the folder now) by meaning.
class Diff : public Command {
public:
    Diff();
    int Execute(CliContext& ctx, const QStringList& arguments) override;
};

} // namespace qdv::cli
