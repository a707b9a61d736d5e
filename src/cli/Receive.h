#pragma once

#include "cli/JobCommand.h"

namespace qdv::cli {

// `receive description|crosspoint|primary`: one receive job of the chosen setup through the task controller;
// `receive secondary`: the data of the secondary stations.
class Receive : public JobCommand {
public:
    Receive();
    int Execute(CliContext& ctx, const QStringList& arguments) override;
};

} // namespace qdv::cli
