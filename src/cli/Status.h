#pragma once

#include "app/SetupHealth.h"
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

// The figures of the setups at the given indexes, as of now.
QList<SetupHealth> AssessSetups(CliContext& ctx, const QList<int>& indexes);
// Replaces `path` atomically with the metrics of `setups`; false after saying why on stderr.
bool WriteMetricsFile(CliContext& ctx, const QString& path, const QList<SetupHealth>& setups);

} // namespace qdv::cli
