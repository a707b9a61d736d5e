#include "app/TRst16.h"

#include "link/Clock.h"
#include "link/LinkEngine.h"
#include "link/StatusBlock.h"
#include "link/TSerialThread.h"
#include "link/TcpTransport.h"
#include "netctl/NetworkSequence.h"
#include "netctl/TcpXmlConnection.h"
#include "netctl/TdrvFtp.h"
#include "store/TmFile.h"

#include <QMetaObject>
#include <QTimer>

namespace qdv {

namespace {
constexpr int kTickMs = 10;
}

TRst16::TRst16(StatusBlock& status, StationTables& stations, TmTableRemote& resolver, const TmFile& files)
    : m_status(status), m_stations(stations), m_resolver(resolver), m_files(files) {
    m_thread.setObjectName(QStringLiteral("RST16"));
}

TRst16::~TRst16() {
    Stop();
}

void TRst16::Start() {
    if (m_thread.isRunning())
        return;
    m_context = new QObject;
    m_context->moveToThread(&m_thread);
    connect(&m_thread, &QThread::started, m_context, [this] { Setup(); });
    // finished is emitted from the engine thread itself, so the engine is torn down where it lives.
    connect(
        &m_thread, &QThread::finished, this, [this] { Teardown(); }, Qt::DirectConnection);
    m_thread.start();
}

std::function<void()> TRst16::QueuedStep(std::atomic<bool>& posted) {
    return [this, &posted] {
        if (posted.exchange(true))
            return;
        QMetaObject::invokeMethod(
            m_context,
            [this, &posted] {
                posted = false;
                Step();
            },
            Qt::QueuedConnection);
    };
}

void TRst16::Setup() {
    m_clock = std::make_unique<SteadyClock>();
    m_tcp = new TcpTransport(m_context);
    m_serial = std::make_unique<TSerialThread>();
    m_engine = std::make_unique<LinkEngine>(
        LinkEngine::Services{*m_clock, *m_tcp, m_serial.get(), m_status, m_stations, m_resolver, m_files});
    m_xmlConnection = new TcpXmlConnection(m_context);
    m_xmlConnection->SetNotify([this] { Step(); });
    m_ftp = std::make_unique<TdrvFtp>();
    m_ftp->SetNotify(QueuedStep(m_ftpStepPosted));
    m_network = std::make_unique<NetworkSequence>(
        NetworkSequence::Services{*m_clock, m_status, m_resolver, *m_xmlConnection, *m_ftp,
                                  m_files.HomeFolder() + QStringLiteral("/XMLDoc")});
    m_engine->SetNetworkAttempt(m_network.get());
    m_tcp->SetNotify([this] { Step(); });
    // The serial worker runs in its own thread: the step goes to this one as a queued call, and one
    // call waiting is enough however many chunks arrive meanwhile.
    m_serial->SetNotify(QueuedStep(m_serialStepPosted));
    auto* timer = new QTimer(m_context);
    timer->setTimerType(Qt::PreciseTimer);
    timer->setInterval(kTickMs);
    connect(timer, &QTimer::timeout, m_context, [this] { Step(); });
    timer->start();
    m_endPauseTimer = new QTimer(m_context);
    m_endPauseTimer->setTimerType(Qt::PreciseTimer);
    m_endPauseTimer->setSingleShot(true);
    connect(m_endPauseTimer, &QTimer::timeout, m_context, [this] { Step(); });
    Step();
}

void TRst16::Step() {
    // A transport event raised while the engine itself is sending must not step it again inside that
    // step; the running step already loops until nothing more can be done.
    if (m_stepping)
        return;
    m_stepping = true;
    const bool wasBusy = m_status.busy;
    m_engine->Tick();
    m_stepping = false;
    // The result is reported the moment the end pause has run out, not up to a tick later.
    const qint64 pause = m_engine->EndPauseLeftMs();
    if (pause > 0 && !m_endPauseTimer->isActive())
        m_endPauseTimer->start(static_cast<int>(pause));
    if (!m_started && m_engine->TickStateNow() != LinkEngine::kStart) {
        m_started = true;
        Q_EMIT StartedReached();
    }
    if (wasBusy && !m_status.busy)
        Q_EMIT JobEnded();
}

void TRst16::Teardown() {
    if (m_engine)
        m_engine->Shutdown();
    m_engine.reset();
    m_network.reset();
    m_ftp.reset();    // a transfer still running is cancelled and waited for
    m_serial.reset(); // its worker ends here, before the context its calls go to
    delete m_context; // the timer and the TCP transport with it
    m_context = nullptr;
    m_endPauseTimer = nullptr;
    m_tcp = nullptr;
    m_xmlConnection = nullptr;
}

void TRst16::Stop() {
    if (!m_thread.isRunning())
        return;
    m_thread.quit();
    m_thread.wait();
}

void TRst16::PostStart(const SetupRecord& setup, const PortSettings& ports, const FolderLockUse& folder) {
    if (!m_context)
        return;
    QMetaObject::invokeMethod(
        m_context,
        [this, setup, ports, folder] {
            m_engine->AcceptJob(setup, ports, folder);
            Step();
        },
        Qt::QueuedConnection);
}

} // namespace qdv
