#pragma once

#include "cli/JobCommand.h"

namespace qdv::cli {

// `send KIND`: one send job of the chosen setup through the task controller, the secondary stations' data,
// or the descriptions or alias tables to secondary stations.
class Send : public JobCommand {
public:
    Send();
    int Execute(CliContext& ctx, const QStringList& arguments) override;

private:
    // `send description|crosspoint|primary`; with `verify`, reads the files back into a temporary folder
    // and compares them byte for byte with what was sent, logging each file: exit status 1 when one
    // differs or cannot be read back. The backup folder is not touched by the read-back.
    int SendKind(CliContext& ctx, const QStringList& words, bool verify) const;
    // Descriptions (kind 4) or alias tables (kind 5) to station `station`, or to all when `broadcast`.
    int SendNames(CliContext& ctx, JobKind kind, int station, bool broadcast) const;
};

} // namespace qdv::cli
