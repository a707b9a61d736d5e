#include "cli/StationsList.h"

#include "cli/CliContext.h"
#include "store/StationList.h"

namespace qdv::cli {

StationsList::StationsList()
    : Command(QStringLiteral("list"),
              QStringLiteral("List the stations that are checked or known: ID, checked "
                             "(0/1), device type, name, IP address, tab-separated.")) {}

int StationsList::Execute(CliContext& ctx, const QStringList& arguments) {
    if (const auto done = Parse(ctx, arguments))
        return *done;
    const SetupRecord* setup = ChosenSetup(ctx);
    if (!setup)
        return kExitUsage;
    StationList list;
    ctx.File().LoadStationList(*setup, list);
    for (int id = StationList::kFirst; id <= StationList::kLast; ++id) {
        const StationList::Entry& e = list.At(id);
        if (!e.checked && e.type == 0 && e.name.isEmpty() && e.address.isEmpty())
            continue;
        ctx.Out() << QString::asprintf("%03d", id) << '\t' << (e.checked ? 1 : 0) << '\t' << e.type << '\t'
                  << e.name << '\t' << e.address << '\n';
    }
    return kExitOk;
}

} // namespace qdv::cli
