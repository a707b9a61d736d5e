#include "cli/StationsMenu.h"

#include "cli/StationJobs.h"

namespace qdv::cli {

StationsMenu::StationsMenu()
    : Command(QStringLiteral("menu"),
              QStringLiteral("Read the station menu from the device: check the stations it lists, name them "
                             "after their device type and save the list.")) {}

int StationsMenu::Execute(CliContext& ctx, const QStringList& arguments) {
    QCommandLineParser parser;
    if (const auto done = Parse(ctx, arguments, parser))
        return *done;
    return RunStationMenu(ctx);
}

} // namespace qdv::cli
