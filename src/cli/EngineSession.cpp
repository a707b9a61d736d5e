#include "cli/EngineSession.h"

#include "app/TtskCtrl.h"
#include "cli/CliContext.h"

#include <QCoreApplication>
#include <QTimer>

#include <atomic>
#include <csignal>

namespace qdv::cli {

namespace {

std::atomic<bool> g_interrupted{false};

extern "C" void OnSessionInterrupt(int) {
    g_interrupted = true;
}

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

bool EngineSession::StartJob(int direction, int kind) {
    return m_control->StartJob(direction, kind);
}

bool EngineSession::StartNetworkRequest(int entry, int kind) {
    return m_control->StartNetworkRequest(entry, kind);
}

const TRpu16* EngineSession::Udp() const {
    return m_control->Udp();
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
