#pragma once

#include "cli/Command.h"

namespace qdv::cli {

// `stations check all|device|clear|STATIONS` and `stations uncheck STATIONS`: the check menu of the
// secondary data dialogs, or single stations; the list is saved.
class StationsCheck : public Command {
public:
    explicit StationsCheck(bool check);
    int Execute(CliContext& ctx, const QStringList& arguments) override;

private:
    bool m_check;
};

} // namespace qdv::cli
