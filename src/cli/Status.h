#pragma once

#include "cli/Command.h"

namespace qdv::cli {

// `status [--setup S ... | --all-setups] [--json] [--metrics FILE]`: whether each setup's backups are
// current, complete and safely stored, with a verdict ok, stale, failing or unverified. Exit 0 only when
// every setup shown is ok.
class Status : public Command {
public:
    Status();
    int Execute(CliContext& ctx, const QStringList& arguments) override;
};

} // namespace qdv::cli
