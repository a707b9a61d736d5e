#include "cli/StationsList.h"

#include "cli/StationJobs.h"

namespace qdv::cli {

StationsList::StationsList()
    : Command(QStringLiteral("list"),
              QStringLiteral("List the stations that are checked or known: ID, checked "
                             "(0/1), device type, name, IP address, tab-separated.")) {}

int StationsList::Execute(CliContext& ctx, const QStringList& arguments) {
    if (const auto done = Parse(ctx, arguments))
        return *done;
    return ListStations(ctx);
}

} // namespace qdv::cli
