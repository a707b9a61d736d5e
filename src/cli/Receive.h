#pragma once

#include "cli/Command.h"

namespace qdv::cli {

// `receive description|crosspoint|primary`: one receive job of the chosen setup through the task controller.
class Receive : public Command {
public:
    Receive();
    int Execute(CliContext& ctx, const QStringList& arguments) override;
};

} // namespace qdv::cli
