#pragma once

#include "cli/Command.h"

namespace qdv::cli {

// `stations list`: one line per station that is checked or has a type, name or address.
class StationsList : public Command {
public:
    StationsList();
    int Execute(CliContext& ctx, const QStringList& arguments) override;
};

} // namespace qdv::cli
