#pragma once

#include "cli/Command.h"

namespace qdv::cli {

// `verify [--json]`: checks the backup folder against its last snapshot and the data files' sizes.
class Verify : public Command {
public:
    Verify();
    int Execute(CliContext& ctx, const QStringList& arguments) override;
};

} // namespace qdv::cli
