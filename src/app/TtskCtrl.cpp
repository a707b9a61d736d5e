#include "app/TtskCtrl.h"

#include "app/TRst16.h"
#include "discovery/TRpu16.h"
#include "link/StatusBlock.h"
#include "services/HostedServices.h"
#include "store/TmFile.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QNetworkInterface>

namespace qdv {

namespace {
// The next step comes at the next turn of the event loop; nothing in the start-up needs a pause.
constexpr int kNextStepMs = 0;
// While waiting for the threads: how often to look again should a thread's word be missed.
constexpr int kWaitPollMs = 50;
constexpr int kMaxAddresses = 10;
constexpr int kMaxAddressText = 16;
} // namespace

TtskCtrl::TtskCtrl(unsigned services, StatusBlock& status, StationTables& stations, TmTableRemote& resolver,
                   const TmFile& files, PortSettings& ports, SetupSource setup, QObject* parent)
    : QObject(parent), m_services(services), m_status(status), m_stations(stations), m_resolver(resolver),
      m_files(files), m_ports(ports), m_setup(std::move(setup)) {
    m_timCtrl.setSingleShot(true);
    connect(&m_timCtrl, &QTimer::timeout, this, &TtskCtrl::timCtrlTimer);
    m_timCtrl.start(kNextStepMs);
}

TtskCtrl::~TtskCtrl() {
    m_timCtrl.stop();
    if (m_rpu16)
        m_rpu16->Stop();
    if (m_rst16)
        m_rst16->Stop();
    m_hosted.reset(); // returns when both services have stopped
}

bool TtskCtrl::LearnOwnAddresses() {
    // The host name's addresses first, as the network sees this PC; a host whose name does not resolve
    // still has its interfaces' addresses, and without either the loopback address serves, so that a
    // badly named host can still transfer.
    QList<QHostAddress> candidates = QHostInfo::fromName(QHostInfo::localHostName()).addresses();
    candidates += QNetworkInterface::allAddresses();
    candidates += QHostAddress(QHostAddress::LocalHost);
    m_ownAddresses.clear();
    for (const QHostAddress& a : candidates) {
        if (a.protocol() != QAbstractSocket::IPv4Protocol)
            continue;
        const QString text = a.toString();
        if (text.size() > kMaxAddressText)
            break;
        if (!m_ownAddresses.contains(text))
            m_ownAddresses.append(text);
        if (m_ownAddresses.size() == kMaxAddresses)
            break;
    }
    return !m_ownAddresses.isEmpty();
}

void TtskCtrl::timCtrlTimer() {
    switch (m_state) {
    case kStateStart:
        if (!LearnOwnAddresses()) {
            m_state = kStateFailed;
            return; // the timer stays off
        }
        m_state = kStateThreads;
        break;
    case kStateThreads:
        if ((m_services & kUdp) && m_devices != nullptr)
            m_rpu16 = std::make_unique<TRpu16>(*m_devices, DiscoverySettings::FromPorts(m_ports));
        // A hosted service that cannot start is only logged; the rest starts.
        if ((m_services & kHostedServices) != 0) {
            const ServiceSettings settings = m_files.LoadServiceSettings();
            if (settings.enable) {
                m_hosted = std::make_unique<HostedServices>(m_files, settings);
                m_hosted->Start();
            }
        }
        if (m_services & kLinkEngine) {
            m_rst16 = std::make_unique<TRst16>(m_status, m_stations, m_resolver, m_files);
            connect(m_rst16.get(), &TRst16::StartedReached, this, &TtskCtrl::ThreadStarted);
            connect(m_rst16.get(), &TRst16::JobEnded, this, &TtskCtrl::JobEnded);
        }
        if (m_rpu16)
            connect(m_rpu16.get(), &TRpu16::StartedReached, this, &TtskCtrl::ThreadStarted);
        m_state = kStateUdp;
        break;
    case kStateUdp:
        if (m_rpu16)
            m_rpu16->Start();
        m_state = kStateEngine;
        break;
    case kStateEngine:
        if (m_rst16)
            m_rst16->Start();
        m_state = kStateWait;
        break;
    case kStateWait:
        if ((!m_rst16 || m_rst16->Started()) && (!m_rpu16 || m_rpu16->Started())) {
            m_state = kStateReady;
            Q_EMIT ReadyReached();
            return;
        }
        m_timCtrl.start(kWaitPollMs);
        return;
    default:
        return;
    }
    m_timCtrl.start(kNextStepMs);
}

void TtskCtrl::ThreadStarted() {
    if (m_state == kStateWait)
        m_timCtrl.start(kNextStepMs);
}

bool TtskCtrl::StartNetworkRequest(int entry, int kind) {
    if (m_state != kStateReady || !m_rpu16)
        return false;
    return m_rpu16->QueueRequest(entry, kind);
}

bool TtskCtrl::StartJob(Direction direction, JobKind kind) {
    return StartJob(direction, kind, m_setup());
}

bool TtskCtrl::StartJob(Direction direction, JobKind kind, const SetupRecord& setup) {
    if (m_state != kStateReady || !m_rst16 || !m_rst16->Running() || kind < 0 || kind >= kJobKinds)
        return false;
    m_status.Clear();
    m_status.direction = direction;
    m_status.jobKind = kind;
    m_status.busy = true;
    m_rst16->PostStart(setup, m_ports, m_folderLockUse);
    return true;
}

} // namespace qdv
