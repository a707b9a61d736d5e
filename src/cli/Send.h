#pragma once

#include "cli/Command.h"

namespace qdv::cli {

// `send description|crosspoint|primary`: one send job of the chosen setup through the task controller.
class Send : public Command {
public:
    Send();
    int Execute(CliContext& ctx, const QStringList& arguments) override;
};

} // namespace qdv::cli
