#pragma once

#include "cli/Command.h"

namespace qdv::cli {

// `import description|crosspoint FILE`: the comma-separated text form of the chosen setup's tables.
class Import : public Command {
public:
    Import();
    int Execute(CliContext& ctx, const QStringList& arguments) override;
};

} // namespace qdv::cli
