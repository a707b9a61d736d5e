#pragma once

#include "cli/Command.h"

namespace qdv::cli {

// `export description|crosspoint FILE`: the comma-separated text form of the chosen setup's tables.
class Export : public Command {
public:
    Export();
    int Execute(CliContext& ctx, const QStringList& arguments) override;
};

} // namespace qdv::cli
