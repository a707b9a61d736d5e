#pragma once

#include "cli/JobCommand.h"

namespace qdv::cli {

// `backup [--setup S ... | --all-setups] [--kinds K,...] [--json]`: the receive jobs of each chosen setup,
// one after the other, then a summary per setup and kind. One setup's failure does not stop the next.
class Backup : public JobCommand {
public:
    Backup();
    int Execute(CliContext& ctx, const QStringList& arguments) override;
};

} // namespace qdv::cli
