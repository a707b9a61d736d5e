#include "link/TcpTransport.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <memory>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace qdv {

namespace {

// How long a closed connection may take to deliver its last bytes before it is cut.
constexpr int kCloseGraceMs = 2000;

QString SystemText(int error, const QString& operation) {
    char buf[128];
    const char* reason = ::strerror_r(error, buf, sizeof buf);
    return QStringLiteral("%1(%2:%3)").arg(QString::fromLocal8Bit(reason)).arg(error).arg(operation);
}

bool WouldBlock(int error) {
    return error == EAGAIN || error == EWOULDBLOCK || error == EINTR;
}

// An orderly close that does not keep the engine waiting: what was written still goes out, our side is
// shut, and what the peer still sends is read and dropped until it closes too or the grace period has
// passed; then the socket is closed. The closing object lives on under `parent` until then.
void CloseInBackground(int fd, QObject* parent) {
    ::shutdown(fd, SHUT_WR);
    auto* closing = new QObject(parent);
    auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, closing);
    auto open = std::make_shared<int>(fd);
    const auto finish = [open, closing, notifier] {
        if (*open < 0)
            return;
        notifier->setEnabled(false); // the number may soon name another socket
        ::shutdown(*open, SHUT_RDWR);
        ::close(*open);
        *open = -1;
        closing->deleteLater();
    };
    // Should the transport itself go first, the socket goes with it.
    QObject::connect(closing, &QObject::destroyed, [open] {
        if (*open >= 0)
            ::close(*open);
        *open = -1;
    });
    QObject::connect(notifier, &QSocketNotifier::activated, closing, [open, finish] {
        char scratch[256];
        const ssize_t n = ::recv(*open, scratch, sizeof scratch, 0);
        if (n == 0 || (n < 0 && !WouldBlock(errno)))
            finish();
    });
    QTimer::singleShot(kCloseGraceMs, closing, finish);
}

} // namespace

TcpTransport::TcpTransport(QObject* parent) : QObject(parent) {}

TcpTransport::~TcpTransport() {
    StopWatching();
    if (m_fd >= 0)
        ::close(m_fd);
}

void TcpTransport::Notify() {
    if (m_notify)
        m_notify();
}

// Called from the notifiers' own signals too: they are switched off at once and deleted later.
void TcpTransport::StopWatching() {
    for (QSocketNotifier* n : {m_readable, m_writable}) {
        if (n != nullptr) {
            n->setEnabled(false);
            n->deleteLater();
        }
    }
    m_readable = nullptr;
    m_writable = nullptr;
    m_connected = false;
}

void TcpTransport::Fail(int error, const QString& operation) {
    m_errorText = SystemText(error, operation);
    StopWatching();
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
    m_unsent.clear();

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
    sockaddr_storage peer{};
    socklen_t peerLength = 0;
    if (address.protocol() == QAbstractSocket::IPv6Protocol) {
        auto* a = reinterpret_cast<sockaddr_in6*>(&peer);
        a->sin6_family = AF_INET6;
        a->sin6_port = htons(target.port);
        const Q_IPV6ADDR bytes = address.toIPv6Address();
        std::memcpy(&a->sin6_addr, &bytes, sizeof bytes);
        peerLength = sizeof *a;
    } else {
        auto* a = reinterpret_cast<sockaddr_in*>(&peer);
        a->sin_family = AF_INET;
        a->sin_port = htons(target.port);
        a->sin_addr.s_addr = htonl(address.toIPv4Address());
        peerLength = sizeof *a;
    }
    m_fd = ::socket(peer.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_fd < 0) {
        Fail(errno, QStringLiteral("RST16:Could not create socket"));
        return false;
    }
    // Records are small and answered one by one: none may wait for the acknowledgement of the one
    // before, as Nagle's algorithm would have an ETB's following attention sequence wait.
    const int on = 1;
    ::setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    if (::connect(m_fd, reinterpret_cast<const sockaddr*>(&peer), peerLength) != 0 && errno != EINPROGRESS) {
        Fail(errno, QStringLiteral("RST16:connect() error"));
        ::close(m_fd);
        m_fd = -1;
        return false;
    }
    // The socket becomes writable when the connect has ended, either way.
    m_writable = new QSocketNotifier(m_fd, QSocketNotifier::Write, this);
    connect(m_writable, &QSocketNotifier::activated, this, &TcpTransport::OnWritable);
    return true;
}

void TcpTransport::OnWritable() {
    if (!m_connected) {
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
            error = errno;
        if (error != 0) {
            Fail(error, QStringLiteral("RST16:connect() error"));
            Notify();
            return;
        }
        m_connected = true;
        m_writable->setEnabled(false);
        m_readable = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
        connect(m_readable, &QSocketNotifier::activated, this, &TcpTransport::OnReadable);
        SetLineUp(true);
        Notify();
        return;
    }
    while (!m_unsent.isEmpty()) {
        const ssize_t n =
            ::send(m_fd, m_unsent.constData(), static_cast<size_t>(m_unsent.size()), MSG_NOSIGNAL);
        if (n < 0) {
            if (WouldBlock(errno))
                return;
            Fail(errno, QStringLiteral("RST16:send() error"));
            Notify();
            return;
        }
        m_unsent.remove(0, n);
    }
    m_writable->setEnabled(false);
}

void TcpTransport::OnReadable() {
    ssize_t n = 0;
    if (!Accepting()) {
        char scratch[kChunkSize]; // bytes before the handshake are not the engine's
        n = ::recv(m_fd, scratch, sizeof scratch, 0);
    } else {
        std::lock_guard lock(m_mutex);
        Chunk& c = m_ring[static_cast<std::size_t>(m_write)];
        n = ::recv(m_fd, c.data.data(), c.data.size(), 0);
        if (n > 0) {
            c.count = static_cast<int>(n);
            c.position = 0;
            m_write = (m_write + 1) % kChunks;
            if (m_write == m_read)
                m_read = (m_read + 1) % kChunks; // the engine fell behind: the oldest chunk goes
        }
    }
    if (n > 0) {
        if (Accepting())
            Notify();
        return;
    }
    if (n < 0 && WouldBlock(errno))
        return;
    if (n == 0) {
        // The peer closed: a lost line, not a failure of an operation.
        StopWatching();
        SetLineUp(false);
    } else {
        Fail(errno, QStringLiteral("RST16:recv() error"));
    }
    Notify();
}

void TcpTransport::Close() {
    ClearLineFlags();
    if (m_fd < 0)
        return;
    const bool connected = m_connected;
    StopWatching();
    const int fd = std::exchange(m_fd, -1);
    if (connected && !m_unsent.isEmpty()) {
        // The kernel would not take these before; it gets one more chance, then they are dropped with
        // the line (a device that has not read a record for that long is not listening).
        [[maybe_unused]] const ssize_t n =
            ::send(fd, m_unsent.constData(), static_cast<size_t>(m_unsent.size()), MSG_NOSIGNAL);
    }
    m_unsent.clear();
    if (!connected) {
        ::close(fd);
        return;
    }
    CloseInBackground(fd, this);
}

bool TcpTransport::Send(QByteArrayView bytes) {
    if (!m_connected)
        return false;
    if (!m_unsent.isEmpty()) {
        m_unsent.append(bytes.data(), bytes.size()); // behind what is still waiting, in order
        return true;
    }
    ssize_t n = ::send(m_fd, bytes.data(), static_cast<size_t>(bytes.size()), MSG_NOSIGNAL);
    if (n == bytes.size())
        return true;
    if (n < 0) {
        if (!WouldBlock(errno)) {
            Fail(errno, QStringLiteral("RST16:send() error"));
            return false;
        }
        n = 0;
    }
    // The kernel took only part: the rest goes out as the socket drains.
    m_unsent = bytes.sliced(n).toByteArray();
    m_writable->setEnabled(true);
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
