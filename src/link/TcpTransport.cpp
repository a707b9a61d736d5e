#include "link/TcpTransport.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QTcpSocket>
#include <QTimer>
#include <cstring>

namespace qdv {

namespace {
// How long a closed connection may take to deliver its last bytes before it is cut.
constexpr int kCloseGraceMs = 2000;
} // namespace

TcpTransport::TcpTransport(QObject* parent) : QObject(parent) {}

TcpTransport::~TcpTransport() {
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
        delete m_socket;
    }
}

void TcpTransport::Notify() {
    if (m_notify)
        m_notify();
}

void TcpTransport::Fail(const QString& operation) {
    const int code = m_socket ? static_cast<int>(m_socket->error()) : -1;
    const QString reason = m_socket ? m_socket->errorString() : QString();
    m_errorText = QStringLiteral("%1(%2:%3)").arg(reason).arg(code).arg(operation);
    ReportLineError();
}

bool TcpTransport::Open(const LinkTarget& target) {
    Close();
    {
        std::lock_guard lock(m_mutex);
        m_read = m_write = 0;
    }
    SetAccept(false);
    m_errorText.clear();

    QHostAddress address;
    if (!address.setAddress(target.host)) {
        const QHostInfo info = QHostInfo::fromName(target.host);
        if (info.error() != QHostInfo::NoError || info.addresses().isEmpty()) {
            m_errorText = QStringLiteral("%1(%2:RST16:gethostbyname() error)")
                              .arg(info.errorString())
                              .arg(info.error());
            ReportLineError();
            return false;
        }
        address = info.addresses().front();
    }
    m_socket = new QTcpSocket(this);
    connect(m_socket, &QTcpSocket::connected, this, [this] {
        // Records are small and answered one by one; Nagle's algorithm would hold an ETB's attention
        // sequence until the device acknowledged the ETB. The option needs the connected socket: set
        // on a socket that is not connected yet, it is silently dropped.
        m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        SetLineUp(true);
        Notify();
    });
    connect(m_socket, &QTcpSocket::readyRead, this, &TcpTransport::OnReadyRead);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &TcpTransport::OnError);
    connect(m_socket, &QTcpSocket::disconnected, this, [this] {
        SetLineUp(false);
        Notify();
    });
    m_socket->connectToHost(address, target.port);
    return true;
}

void TcpTransport::OnError() {
    if (!m_socket)
        return;
    if (m_socket->error() == QAbstractSocket::RemoteHostClosedError) {
        // The peer closed: a lost line, not a failure of an operation.
        SetLineUp(false);
    } else {
        Fail(m_socket->state() == QAbstractSocket::ConnectedState ? QStringLiteral("RST16:recv() error")
                                                                  : QStringLiteral("RST16:connect() error"));
    }
    Notify();
}

void TcpTransport::OnReadyRead() {
    QTcpSocket* socket = m_socket.data();
    if (socket == nullptr)
        return;
    bool queued = false;
    while (socket->bytesAvailable() > 0) {
        char buf[kChunkSize];
        const qint64 n = socket->read(buf, kChunkSize);
        if (n <= 0)
            break;
        if (!Accepting())
            continue; // bytes before the handshake are not the engine's
        std::lock_guard lock(m_mutex);
        Chunk& c = m_ring[static_cast<std::size_t>(m_write)];
        std::memcpy(c.data.data(), buf, static_cast<std::size_t>(n));
        c.count = static_cast<int>(n);
        c.position = 0;
        m_write = (m_write + 1) % kChunks;
        if (m_write == m_read)
            m_read = (m_read + 1) % kChunks; // the engine fell behind: the oldest chunk goes
        queued = true;
    }
    if (queued)
        Notify();
}

void TcpTransport::Close() {
    ClearLineFlags();
    if (!m_socket)
        return;
    QTcpSocket* s = m_socket;
    m_socket = nullptr;
    s->disconnect(this);
    // An orderly close: what was written still goes out, then the connection is shut. The socket
    // deletes itself once closed, or after a grace period if the peer never answers.
    connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
    QTimer::singleShot(kCloseGraceMs, s, [s] {
        s->abort();
        s->deleteLater();
    });
    if (s->state() == QAbstractSocket::UnconnectedState) {
        s->deleteLater();
        return;
    }
    s->disconnectFromHost();
}

bool TcpTransport::Send(QByteArrayView bytes) {
    if (!m_socket || m_socket->state() != QAbstractSocket::ConnectedState)
        return false;
    // QTcpSocket keeps what the kernel does not take at once and writes it as the socket drains, so
    // a short send is completed rather than lost.
    if (m_socket->write(bytes.data(), bytes.size()) != bytes.size()) {
        Fail(QStringLiteral("RST16:send() error"));
        return false;
    }
    m_socket->flush();
    return true;
}

qint64 TcpTransport::Read(char* dst, qint64 max) {
    std::lock_guard lock(m_mutex);
    if (m_read == m_write || max <= 0)
        return 0;
    Chunk& c = m_ring[static_cast<std::size_t>(m_read)];
    const qint64 n = std::min<qint64>(max, c.count - c.position);
    std::memcpy(dst, c.data.data() + c.position, static_cast<std::size_t>(n));
    c.position += static_cast<int>(n);
    if (c.position >= c.count) {
        c.count = c.position = 0;
        m_read = (m_read + 1) % kChunks;
    }
    return n;
}

} // namespace qdv
