#include "discovery/DiscoveryWorker.h"

#include "discovery/DiscoveryRequest.h"
#include "discovery/NetworkDeviceTable.h"
#include "store/SetupRecord.h"

#include <QNetworkInterface>
#include <QUdpSocket>
#include <QVariant>

namespace qdv {

namespace {
// Room for the answers of a whole plant arriving in one burst while the worker is busy elsewhere: 256
// devices at up to 512 bytes each, with the kernel's bookkeeping on top.
constexpr int kReceiveBufferBytes = 1 << 20;
} // namespace

DiscoverySettings DiscoverySettings::FromPorts(const PortSettings& ports) {
    DiscoverySettings s;
    // A port the settings file got wrong falls back to the default rather than wrapping around.
    if (ports.busPort > 0 && ports.busPort <= 65535)
        s.port = static_cast<quint16>(ports.busPort);
    s.broadcast = ports.udpBroadcast;
    s.broadcastGiven = ports.udpBroadcastGiven;
    return s;
}

DiscoveryWorker::DiscoveryWorker(NetworkDeviceTable& table, DiscoverySettings settings)
    : m_table(table), m_settings(std::move(settings)) {}

DiscoveryWorker::~DiscoveryWorker() {
    Close();
}

bool DiscoveryWorker::Queue(int kind) {
    const QByteArray datagram = DiscoveryRequest(kind);
    if (datagram.isEmpty())
        return false;
    std::lock_guard lock(m_mutex);
    if (m_queue.size() == static_cast<std::size_t>(kQueueSlots))
        m_queue.pop_front();
    m_queue.push_back(datagram);
    return true;
}

int DiscoveryWorker::QueuedRequests() const {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_queue.size());
}

QString DiscoveryWorker::LastError() const {
    std::lock_guard lock(m_mutex);
    return m_error;
}

QList<QHostAddress> DiscoveryWorker::Targets() const {
    std::lock_guard lock(m_mutex);
    return m_targets;
}

quint16 DiscoveryWorker::LocalPort() const {
    return m_socket ? m_socket->localPort() : 0;
}

void DiscoveryWorker::Tick() {
    if (m_errorNotice.exchange(false)) {
        Close();
        m_state = kFailed;
        m_failedTicks = 0;
    }
    if (m_state == kClosed) {
        if (!Open())
            return;
        m_state = kOpen;
    }
    if (m_state == kOpen) {
        Drain();
        SendOne();
        return;
    }
    if (++m_failedTicks >= kRetryTicks) {
        m_failedTicks = 0;
        m_state = kClosed;
        if (Open())
            m_state = kOpen;
    }
}

QList<QHostAddress> DiscoveryWorker::FindTargets(QString* error) const {
    const QHostAddress configured(m_settings.broadcast);
    if (configured.protocol() != QAbstractSocket::IPv4Protocol) {
        *error = QStringLiteral("[UDP] BROADCAST is not an IPv4 address: \"%1\"").arg(m_settings.broadcast);
        return {};
    }
    QList<QHostAddress> targets{configured};
    if (m_settings.broadcastGiven)
        return targets;
    for (const QNetworkInterface& nic : QNetworkInterface::allInterfaces()) {
        const auto flags = nic.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) || flags.testFlag(QNetworkInterface::IsLoopBack) ||
            !flags.testFlag(QNetworkInterface::CanBroadcast))
            continue;
        for (const QNetworkAddressEntry& entry : nic.addressEntries()) {
            const QHostAddress b = entry.broadcast();
            if (b.protocol() == QAbstractSocket::IPv4Protocol && !targets.contains(b))
                targets.append(b);
        }
    }
    return targets;
}

bool DiscoveryWorker::Open() {
    Close();
    QString error;
    const QList<QHostAddress> targets = FindTargets(&error);
    if (targets.isEmpty()) {
        Fail(error);
        return false;
    }
    auto socket = std::make_unique<QUdpSocket>();
    // Qt turns the broadcast option on for every UDP socket; ShareAddress and ReuseAddressHint set
    // address reuse, so that the search can run beside another program on the same port.
    if (!socket->bind(QHostAddress::AnyIPv4, m_settings.port,
                      QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint)) {
        Fail(
            QStringLiteral("bind() error: %1 (UDP port %2)").arg(socket->errorString()).arg(m_settings.port));
        return false;
    }
    socket->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, QVariant(kReceiveBufferBytes));
    QObject::connect(socket.get(), &QUdpSocket::readyRead, socket.get(), [this] { Drain(); });
    m_socket = std::move(socket);
    std::lock_guard lock(m_mutex);
    m_targets = targets;
    m_error.clear();
    return true;
}

void DiscoveryWorker::Close() {
    m_socket.reset();
    if (m_state == kOpen)
        m_state = kClosed;
}

void DiscoveryWorker::Fail(const QString& text) {
    Close();
    m_state = kFailed;
    m_failedTicks = 0;
    std::lock_guard lock(m_mutex);
    m_error = text;
}

void DiscoveryWorker::Drain() {
    if (!m_socket)
        return;
    char buffer[kMaxDatagram];
    while (m_socket->hasPendingDatagrams()) {
        // A datagram longer than 512 bytes is cut: the rest of it is discarded by the read.
        const qint64 n = m_socket->readDatagram(buffer, kMaxDatagram);
        if (n > 0)
            m_table.TakeDatagram(QByteArrayView(buffer, n));
        else if (n < 0 && m_socket->error() != QAbstractSocket::TemporaryError) {
            // Closed by the next tick: this may run inside the socket's own signal.
            std::lock_guard lock(m_mutex);
            m_error = QStringLiteral("recvfrom() error: %1").arg(m_socket->errorString());
            m_errorNotice = true;
            return;
        }
    }
}

bool DiscoveryWorker::SendOne() {
    QByteArray datagram;
    QList<QHostAddress> targets;
    {
        std::lock_guard lock(m_mutex);
        if (m_queue.empty())
            return false;
        datagram = m_queue.front();
        m_queue.pop_front();
        targets = m_targets;
    }
    for (const QHostAddress& target : targets) {
        if (m_socket->writeDatagram(datagram, target, m_settings.port) >= 0 ||
            m_socket->error() == QAbstractSocket::TemporaryError)
            continue;
        // The configured (first) address must take the request; an interface that went away since
        // the socket opened only loses its copy.
        if (target == targets.front()) {
            Fail(QStringLiteral("sendto() error: %1 (%2)").arg(m_socket->errorString(), target.toString()));
            return false;
        }
    }
    return true;
}

} // namespace qdv
