#include "cli/StationJobs.h"

#include "base/MessageCatalogue.h"
#include "cli/CliContext.h"
#include "cli/EngineSession.h"
#include "link/TransferJobs.h"
#include "secondary/NamesToSecondaryCore.h"
#include "secondary/SecondaryDataCore.h"
#include "secondary/StationNumbers.h"

#include <optional>

namespace qdv::cli {

namespace {

constexpr int kAborted = 102;

const SetupRecord* Setup(CliContext& ctx) {
    QString error;
    const SetupRecord* setup = ctx.ChosenSetup(&error);
    if (setup == nullptr)
        ctx.Err() << "qdv70cli: " << error << '\n';
    return setup;
}

StationDialogServices Services(CliContext& ctx, EngineSession& session, const SetupRecord& setup) {
    return {ctx.File(),
            session.Status(),
            session.Stations(),
            [&session](int direction, int kind) { return session.StartJob(direction, kind); },
            setup,
            {}};
}

// Services for the list alone, without a link engine.
struct ListOnly {
    StatusBlock status;
    StationTables stations;
    StationDialogServices Services(CliContext& ctx, const SetupRecord& setup) {
        return {ctx.File(), status, stations, [](int, int) { return false; }, setup, {}};
    }
};

// Follows a station job to its end: Ctrl-C cancels it, a message is printed; the device search of a
// LAN setup is closed at once (the command line has no search window yet). Returns the last message.
std::optional<int> Follow(CliContext& ctx, StationDialogCore& core, bool interrupted, bool* cancelled,
                          int* message) {
    if (interrupted && !*cancelled) {
        *cancelled = true;
        core.Cancel();
    }
    const StationDialogCore::PollResult r = core.Poll();
    if (r.message != 0) {
        *message = r.message;
        ctx.Err() << "qdv70cli: " << CatalogueText(r.message) << '\n';
    }
    if (r.openSearch)
        core.SearchClosed();
    if (!core.Idle())
        return std::nullopt;
    return *cancelled ? kExitAborted : (*message != 0 && *message != kAborted ? kExitFailed : kExitOk);
}

} // namespace

int ListStations(CliContext& ctx) {
    const SetupRecord* setup = Setup(ctx);
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

int CheckStations(CliContext& ctx, bool check, const QString& what) {
    const SetupRecord* setup = Setup(ctx);
    if (!setup)
        return kExitUsage;
    ListOnly tables;
    SecondaryDataCore core(tables.Services(ctx, *setup), false);
    core.Show();
    int code = 0;
    if (check && what == QLatin1String("all")) {
        code = core.CheckAll();
    } else if (check && what == QLatin1String("device")) {
        code = core.CheckDevice();
    } else if (check && what == QLatin1String("clear")) {
        core.CheckClear();
    } else {
        const auto ids = ParseStationNumbers(what, StationList::kFirst, StationList::kLast);
        if (!ids) {
            ctx.Err() << "qdv70cli: not a list of stations 2..254: " << what << '\n';
            return kExitUsage;
        }
        for (const int id : *ids)
            core.SetChecked(id, check);
    }
    if (code != 0) {
        ctx.Err() << "qdv70cli: " << CatalogueText(code) << '\n';
        return kExitFailed;
    }
    QString error;
    if (!core.SaveList(&error)) {
        ctx.Err() << "qdv70cli: " << error << '\n';
        return kExitFailed;
    }
    return kExitOk;
}

int RunStationMenu(CliContext& ctx) {
    const SetupRecord* setup = Setup(ctx);
    if (!setup)
        return kExitUsage;
    EngineSession session(ctx, *setup);
    SecondaryDataCore core(Services(ctx, session, *setup), false);
    core.Show();
    bool cancelled = false;
    int message = 0;
    return session.Run(
        [&] { return core.StartGetZMenu(); },
        [&](bool interrupted) { return Follow(ctx, core, interrupted, &cancelled, &message); });
}

int RunSecondary(CliContext& ctx, bool send, const QString& stations) {
    const SetupRecord* setup = Setup(ctx);
    if (!setup)
        return kExitUsage;
    std::optional<std::vector<int>> only;
    if (!stations.isEmpty()) {
        only = ParseStationNumbers(stations, StationList::kFirst, StationList::kLast);
        if (!only) {
            ctx.Err() << "qdv70cli: not a list of stations 2..254: " << stations << '\n';
            return kExitUsage;
        }
    }
    EngineSession session(ctx, *setup);
    SecondaryDataCore core(Services(ctx, session, *setup), send);
    core.Show();
    std::vector<int> chosen = only.value_or(std::vector<int>());
    if (!only) {
        for (int id = StationList::kFirst; id <= StationList::kLast; ++id) {
            if (core.List().At(id).checked)
                chosen.push_back(id);
        }
    }
    if (chosen.empty()) {
        ctx.Err()
            << "qdv70cli: no stations chosen: check some (qdv70cli stations check) or give --stations\n";
        return kExitUsage;
    }
    bool cancelled = false;
    bool started = false;
    int message = 0;
    const int status = session.Run(
        [&] {
            started = core.StartRun(&chosen);
            if (!started)
                ctx.Err() << "qdv70cli: the job was refused\n";
            return started;
        },
        [&](bool interrupted) { return Follow(ctx, core, interrupted, &cancelled, &message); });
    if (!started)
        return status;
    bool allOk = true;
    for (const int id : chosen) {
        const StatusCell cell = core.Cell(id);
        allOk = allOk && cell.text == QLatin1String("OK");
        ctx.Out() << QString::asprintf("%03d", id) << '\t' << cell.text << '\n';
    }
    if (status == kExitAborted)
        return kExitAborted;
    return allOk && status == kExitOk ? kExitOk : kExitFailed;
}

int RunNamesToSecondary(CliContext& ctx, int kind, int station, bool broadcast) {
    const SetupRecord* setup = Setup(ctx);
    if (!setup)
        return kExitUsage;
    EngineSession session(ctx, *setup);
    NamesToSecondaryCore core(Services(ctx, session, *setup), kind);
    core.Show();
    core.SetBroadcast(broadcast);
    if (!broadcast)
        core.SetTarget(station);
    bool cancelled = false;
    int message = 0;
    return session.Run(
        [&] { return core.Start(); },
        [&](bool interrupted) { return Follow(ctx, core, interrupted, &cancelled, &message); });
}

} // namespace qdv::cli
