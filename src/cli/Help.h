#pragma once

#include "cli/Command.h"

namespace qdv::cli {

// `help [COMMAND [VERB]]`: the list of commands, or the help of one.
class Help : public Command {
public:
    Help();
    int Execute(CliContext& ctx, const QStringList& arguments) override;

    // The tool's own usage: global options, every command with its description, exit statuses.
    static QString Overview();
};

} // namespace qdv::cli
