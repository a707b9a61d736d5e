#pragma once

#include "cli/Command.h"

namespace qdv::cli {

// `serve`: offers both hosted SOAP services on the selected setup's backup folder until SIGINT or
// SIGTERM, then stops them and exits 0. Prints "<service> <port>" for each service that listens.
class Serve : public Command {
public:
    Serve();
    int Execute(CliContext& ctx, const QStringList& arguments) override;
};

} // namespace qdv::cli
