#include "cli/StationJobs.h"

#include "app/JobSnapshot.h"
#include "base/MessageCatalogue.h"
#include "cli/CliContext.h"
#include "cli/EngineSession.h"
#include "cli/FolderHold.h"
#include "cli/HistoryNotice.h"
#include "discovery/DeviceSearch.h"
#include "discovery/NetworkDeviceTable.h"
#include "discovery/TRpu16.h"
#include "link/TransferJobs.h"
#include "secondary/FoundDevices.h"
#include "secondary/NamesToSecondaryModel.h"
#include "secondary/SecondaryDataModel.h"
#include "secondary/StationNumbers.h"

#include <QElapsedTimer>

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

// Follows a station job to its end: Ctrl-C cancels it, a message is printed. The device search that
// follows Get Z Menu on a LAN setup runs here too, stepped as the search window steps it and squeezed
// or stretched to `searchMs`; without a UDP stage (or with `searchMs` 0) it is closed at once.
class Follower {
public:
    Follower(CliContext& ctx, StationDialogModel& core, EngineSession* session = nullptr, int searchMs = 0)
        : m_ctx(ctx), m_core(core), m_session(session), m_searchMs(searchMs),
          m_search([session](int entry, int kind) {
              return session != nullptr && session->StartNetworkRequest(entry, kind);
          }) {}

    std::optional<int> operator()(bool interrupted) {
        if (interrupted && !m_cancelled) {
            m_cancelled = true;
            m_core.Cancel();
        }
        if (m_core.CurrentMode() == StationDialogModel::kSearch)
            StepSearch(interrupted);
        else
            Poll();
        if (!m_core.Idle())
            return std::nullopt;
        return m_cancelled ? kExitAborted : (m_message != 0 && m_message != kAborted ? kExitFailed : kExitOk);
    }

private:
    void Poll() {
        const StationDialogModel::PollResult r = m_core.Poll();
        if (r.message != 0) {
            m_message = r.message;
            m_ctx.Err() << "qdv70cli: " << CatalogueText(r.message) << '\n';
        }
        if (!r.openSearch)
            return;
        const TRpu16* udp = m_session != nullptr ? m_session->Udp() : nullptr;
        if (m_searchMs <= 0 || udp == nullptr) {
            m_core.SearchClosed();
        } else if (udp->SocketState() != DiscoveryWorker::kOpen) {
            m_ctx.Err() << "qdv70cli: no device search, the UDP socket is not open: " << udp->LastError()
                        << '\n';
            m_core.SearchClosed();
        } else {
            m_ctx.Err() << "qdv70cli: searching the LAN for the stations' names and addresses ("
                        << QString::number(m_searchMs / 1000.0, 'g', 3) << " s)\n";
            m_search.Reset();
            m_clock.start();
            m_next = 0;
        }
    }

    void StepSearch(bool interrupted) {
        while (!interrupted && !m_search.Ended() && m_clock.elapsed() >= m_next) {
            const int wait = m_search.Step();
            if (wait != DeviceSearch::kEnded)
                m_next += static_cast<qint64>(wait) * m_searchMs / DeviceSearch::kTotalMs;
        }
        if (!interrupted && !m_search.Ended())
            return;
        const int matched = m_core.SearchClosed();
        m_ctx.Err() << "qdv70cli: " << matched << (matched == 1 ? " station" : " stations")
                    << " named by the devices found\n";
    }

    CliContext& m_ctx;
    StationDialogModel& m_core;
    EngineSession* m_session;
    int m_searchMs;
    DeviceSearch m_search;
    QElapsedTimer m_clock;
    qint64 m_next = 0;
    bool m_cancelled = false;
    int m_message = 0;
};

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
    SecondaryDataModel core(tables.Services(ctx, *setup), false);
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

int RunStationMenu(CliContext& ctx, int searchMs) {
    const SetupRecord* setup = Setup(ctx);
    if (!setup)
        return kExitUsage;
    NetworkDeviceTable devices;
    const bool search = setup->selectLan && searchMs > 0;
    EngineSession session(ctx, *setup, search ? &devices : nullptr);
    StationDialogServices services = Services(ctx, session, *setup);
    services.foundDevices = [&devices] { return FoundDevicesOf(devices.Copy().devices); };
    SecondaryDataModel core(std::move(services), false);
    core.Show();
    return session.Run([&] { return core.StartGetZMenu(); }, Follower(ctx, core, &session, searchMs));
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
    FolderLock folder;
    const QString job = send ? QStringLiteral("sending Secondary") : QStringLiteral("receiving Secondary");
    if (const int held = HoldFolder(ctx, setup->backupDataPath, job, folder))
        return held;
    EngineSession session(ctx, *setup);
    SecondaryDataModel core(Services(ctx, session, *setup), send);
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
    bool started = false;
    const int status = session.Run(
        [&] {
            started = core.StartRun(&chosen);
            if (!started)
                ctx.Err() << "qdv70cli: the job was refused\n";
            return started;
        },
        Follower(ctx, core));
    if (!started)
        return status;
    if (!send)
        ReportSnapshot(JobSnapshot::AfterStationReceive(*setup, core.FailedFiles()), ctx.Err());
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
    FolderLock folder;
    if (const int held =
            HoldFolder(ctx, setup->backupDataPath, QStringLiteral("sending ") + JobKindName(kind), folder))
        return held;
    EngineSession session(ctx, *setup);
    NamesToSecondaryModel core(Services(ctx, session, *setup), kind);
    core.Show();
    core.SetBroadcast(broadcast);
    if (!broadcast)
        core.SetTarget(station);
    return session.Run([&] { return core.Start(); }, Follower(ctx, core));
}

} // namespace qdv::cli
