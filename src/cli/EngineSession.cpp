#include "cli/EngineSession.h"

#include "app/TtskCtrl.h"
#include "base/CatalogueCodes.h"
#include "base/MessageCatalogue.h"
#include "cli/CliContext.h"
#include "discovery/DeviceSearch.h"
#include "discovery/TRpu16.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <atomic>
#include <csignal>

namespace qdv::cli {

namespace {

// The catalogue code of a job the user cancelled: no failure of its own.

std::atomic<bool> g_interrupted{false};

extern "C" void OnSessionInterrupt(int) {
    g_interrupted = true;
}

// Follows a station job to its end: Ctrl-C cancels it, a message is printed. The device search that
// follows Get Z Menu on a LAN setup runs here too, stepped as the search window steps it and squeezed
// or stretched to `searchMs`; without a UDP stage (or with `searchMs` 0) it is closed at once.
class Follower {
public:
    Follower(CliContext& ctx, StationDialogModel& core, EngineSession& session, int searchMs)
        : m_ctx(ctx), m_core(core), m_session(session), m_searchMs(searchMs),
          m_search([&session](int entry, int kind) { return session.StartNetworkRequest(entry, kind); }) {}

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
        return m_cancelled ? kExitAborted
                           : (m_message != 0 && m_message != msg::kAborted ? kExitFailed : kExitOk);
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
        const TRpu16* udp = m_session.Udp();
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
    EngineSession& m_session;
    int m_searchMs;
    DeviceSearch m_search;
    QElapsedTimer m_clock;
    qint64 m_next = 0;
    bool m_cancelled = false;
    int m_message = 0;
};

} // namespace

EngineSession::EngineSession(CliContext& ctx, const SetupRecord& setup, NetworkDeviceTable* devices)
    : m_ctx(ctx), m_setup(setup), m_ports(ctx.Ports()) {
    const unsigned services =
        devices != nullptr ? TtskCtrl::kLinkEngine | TtskCtrl::kUdp : TtskCtrl::kLinkEngine;
    m_control = std::make_unique<TtskCtrl>(services, m_status, m_stations, m_resolver, ctx.File(), m_ports,
                                           [this] { return m_setup; });
    // The commands that read or write the backup folder hold its lock themselves (HoldFolder).
    m_control->SetFolderLockUse({.heldByCaller = true});
    if (devices != nullptr)
        m_control->AttachDeviceTable(*devices);
    g_interrupted = false;
    struct sigaction action {};
    action.sa_handler = OnSessionInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

EngineSession::~EngineSession() {
    m_control.reset();
    signal(SIGINT, SIG_DFL);
    signal(SIGTERM, SIG_DFL);
}

bool EngineSession::StartJob(Direction direction, JobKind kind) {
    return m_control->StartJob(direction, kind);
}

bool EngineSession::StartNetworkRequest(int entry, int kind) {
    return m_control->StartNetworkRequest(entry, kind);
}

const TRpu16* EngineSession::Udp() const {
    return m_control->Udp();
}

StationDialogServices EngineSession::Services() {
    return {m_ctx.File(), m_status,
            m_stations,   [this](Direction direction, JobKind kind) { return StartJob(direction, kind); },
            m_setup,      {}};
}

int EngineSession::RunStationJob(StationDialogModel& core, const std::function<bool()>& start, int searchMs) {
    return Run(start, Follower(m_ctx, core, *this, searchMs));
}

int EngineSession::Run(const std::function<bool()>& start,
                       const std::function<std::optional<int>(bool interrupted)>& poll, int intervalMs) {
    bool started = false;
    QTimer timer;
    const auto step = [&] {
        if (!started) {
            if (g_interrupted) {
                QCoreApplication::exit(kExitAborted);
                return;
            }
            if (m_control->State() == TtskCtrl::kStateFailed) {
                m_ctx.Err() << "qdv70cli: the link engine could not be started\n";
                QCoreApplication::exit(kExitFailed);
                return;
            }
            if (!m_control->Ready())
                return;
            started = true;
            if (!start()) {
                QCoreApplication::exit(kExitFailed);
                return;
            }
            timer.setInterval(intervalMs);
            return;
        }
        if (const std::optional<int> done = poll(g_interrupted))
            QCoreApplication::exit(*done);
    };
    // Besides the timer, the task controller's readiness and each job's end are looked at the moment
    // they happen, so that neither waits for the next look. The connections end with this call (`step`
    // refers to its locals).
    QObject connections;
    QObject::connect(&timer, &QTimer::timeout, step);
    QObject::connect(m_control.get(), &TtskCtrl::ReadyReached, &connections, step);
    QObject::connect(m_control.get(), &TtskCtrl::JobEnded, &connections, step);
    timer.start(10);
    const int status = QCoreApplication::exec();
    timer.stop();
    return status;
}

} // namespace qdv::cli
