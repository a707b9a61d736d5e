#pragma once

#include "cli/Command.h"

namespace qdv::cli {

// `discover [--seconds N] [--json]`: one device search on the LAN as the search window runs it (three
// passes of "ENQ:NETWORK" and "ENQ:DEVINFO"), spread over N seconds (default 3) of collecting answers,
// then the devices found: a readable table, or with --json a JSON array only.
class Discover : public Command {
public:
    Discover();
    int Execute(CliContext& ctx, const QStringList& arguments) override;
};

} // namespace qdv::cli
