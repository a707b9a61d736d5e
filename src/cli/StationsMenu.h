#pragma once

#include "cli/Command.h"

namespace qdv::cli {

// `stations menu`: Get Z Menu, the station menu read from the device and saved as the station list.
class StationsMenu : public Command {
public:
    StationsMenu();
    int Execute(CliContext& ctx, const QStringList& arguments) override;
};

} // namespace qdv::cli
