#pragma once

#include "cli/Command.h"

namespace qdv::cli {

// `setups list`: one line a setup: number, name, connection, backup data path, `*` on the selected one.
class SetupsList : public Command {
public:
    SetupsList();
    int Execute(CliContext& ctx, const QStringList& arguments) override;
};

} // namespace qdv::cli
