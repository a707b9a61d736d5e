#include "cli/StationsMenu.h"

#include "cli/CliContext.h"
#include "cli/EngineSession.h"
#include "discovery/DeviceSearch.h"
#include "discovery/NetworkDeviceTable.h"
#include "secondary/FoundDevices.h"
#include "secondary/SecondaryDataModel.h"

namespace qdv::cli {

namespace {

constexpr int kMaxSearchSeconds = 3600;

const QCommandLineOption kSearchSeconds(
    QStringLiteral("search-seconds"),
    QStringLiteral("On a LAN setup, search the LAN for the stations' names and addresses for N seconds "
                   "(default 9, as the dialogs do; 0: no search)."),
    QStringLiteral("N"), QString::number(DeviceSearch::kTotalMs / 1000));

} // namespace

StationsMenu::StationsMenu()
    : Command(QStringLiteral("menu"),
              QStringLiteral("Read the station menu from the device: check the stations it lists, name them "
                             "after their device type (on a LAN setup, after the devices a search finds) and "
                             "save the list.")) {
    AddOption(kSearchSeconds);
}

int StationsMenu::Execute(CliContext& ctx, const QStringList& arguments) {
    if (const auto done = Parse(ctx, arguments))
        return *done;
    const std::optional<int> seconds = Number(kSearchSeconds.names().front(), 0, kMaxSearchSeconds);
    if (!seconds)
        return UsageError(
            ctx, QStringLiteral("--search-seconds wants a whole number from 0 to %1").arg(kMaxSearchSeconds));
    const SetupRecord* setup = ChosenSetup(ctx);
    if (!setup)
        return kExitUsage;
    // On a LAN setup, the devices a search finds name the stations.
    NetworkDeviceTable devices;
    const bool search = setup->selectLan && *seconds > 0;
    EngineSession session(ctx, *setup, search ? &devices : nullptr);
    StationDialogServices services = session.Services();
    services.foundDevices = [&devices] { return FoundDevicesOf(devices.Copy().devices); };
    SecondaryDataModel core(std::move(services), Direction::Receive);
    core.Show();
    return session.RunStationJob(
        core, [&] { return core.StartGetZMenu(); }, *seconds * 1000);
}

} // namespace qdv::cli
