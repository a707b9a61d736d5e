#include "link/TSerialThread.h"

#include <QFile>
#include <QRegularExpression>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace qdv {

namespace {

// How often the modem lines are read on a port that has them; the kernel cannot wake a poll on them.
constexpr int kModemPollMs = 20;
// A write that the port does not take within this time is given up.
constexpr int kWriteWaitMs = 500;
// How long a closing port may take to send what was written last (an ETB: well under a millisecond).
constexpr int kDrainMs = 100;
// A close still under way when the port is opened again.
constexpr auto kCloseWait = std::chrono::seconds(2);

QString SystemText(int error, const QString& operation) {
    char buf[128];
    const char* reason = ::strerror_r(error, buf, sizeof buf);
    return QStringLiteral("%1(%2:%3)").arg(QString::fromLocal8Bit(reason)).arg(error).arg(operation);
}

speed_t SpeedOf(quint32 baud) {
    switch (baud) {
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    default:
        return B0;
    }
}

} // namespace

TSerialThread::TSerialThread() {
    if (::pipe2(m_wake, O_NONBLOCK | O_CLOEXEC) != 0)
        return;
    try {
        m_worker = std::thread([this] { Execute(); });
    } catch (const std::system_error&) {
        // No worker: HasWorker() is false and the engine reports that a serial job cannot run.
    }
}

TSerialThread::~TSerialThread() {
    RequestClose();
    {
        std::lock_guard lock(m_mutex);
        m_terminated = true;
    }
    Wake();
    if (m_worker.joinable())
        m_worker.join();
    for (int fd : m_wake) {
        if (fd >= 0)
            ::close(fd);
    }
}

void TSerialThread::Wake() {
    const char b = 1;
    [[maybe_unused]] const ssize_t n = ::write(m_wake[1], &b, 1);
}

void TSerialThread::Notify() {
    if (m_notify)
        m_notify();
}

QString TSerialThread::LastErrorText() const {
    std::lock_guard lock(m_mutex);
    return m_errorText;
}

int TSerialThread::OpenDevice(const QString& device, quint32 baud, QString* error) {
    const auto op = [&device](QLatin1StringView call) {
        return QStringLiteral("SERIAL:") + call + QLatin1Char('(') + device + QStringLiteral(") error");
    };
    const speed_t speed = SpeedOf(baud);
    if (speed == B0) {
        *error = SystemText(EINVAL, op(QLatin1StringView("cfsetspeed")));
        return -1;
    }
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int code = errno;
        *error = SystemText(code, op(QLatin1StringView("open")));
        return -1;
    }
    const auto fail = [&](int code, const char* call) {
        ::close(fd);
        *error = SystemText(code, op(QLatin1StringView(call)));
        return -1;
    };
    // Another program that locks the port the same way has it: "in use", as on a port opened without
    // sharing. TIOCEXCL keeps programs out that do not lock.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        return fail(errno == EWOULDBLOCK ? EBUSY : errno, "flock");
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0)
        return fail(errno, "tcgetattr"); // not a terminal device
    if (::ioctl(fd, TIOCEXCL) != 0)
        return fail(errno, "ioctl");
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD; // carrier loss is judged here, not by a hang-up of the kernel's
    tio.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | PARENB | CRTSCTS);
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    ::cfsetispeed(&tio, speed);
    ::cfsetospeed(&tio, speed);
    // A port that cannot be set to the line's format cannot carry the protocol; better said now than
    // as a missing READY twenty seconds later.
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
        const int code = errno;
        ::ioctl(fd, TIOCNXCL);
        return fail(code, "tcsetattr");
    }
    // Ports without modem lines (pseudo terminals, some adapters) refuse this and need none.
    const int lines = TIOCM_DTR | TIOCM_RTS;
    ::ioctl(fd, TIOCMBIS, &lines);
    // Whatever arrived before this open is not part of the exchange about to start.
    ::tcflush(fd, TCIFLUSH);
    return fd;
}

bool TSerialThread::LineBusy(const QString& device) {
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == EBUSY;
    const bool busy = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd); // closing drops the lock taken here
    return busy;
}

bool TSerialThread::IsPermissionFailure(const QString& errorText) {
    static const QRegularExpression open(QStringLiteral("\\((\\d+):SERIAL:open\\("));
    const QRegularExpressionMatch m = open.match(errorText);
    if (!m.hasMatch())
        return false;
    const int code = m.captured(1).toInt();
    return code == EACCES || code == EPERM;
}

bool TSerialThread::OpenPort(const QString& device, quint32 baud) {
    RequestClose(); // the engine closes first; an open port is never opened twice
    std::unique_lock lock(m_mutex);
    if (!HasWorker()) {
        m_errorText = SystemText(EAGAIN, QStringLiteral("SERIAL:worker thread error"));
        return false;
    }
    // The same device is usually opened again; its previous close must have finished.
    if (!m_closeDone.wait_for(lock, kCloseWait, [this] { return !m_closeRequested; })) {
        m_errorText = SystemText(EBUSY, QStringLiteral("SERIAL:close() error"));
        return false;
    }
    m_failed = false;
    m_modem.Reset();
    m_errorText.clear();
    lock.unlock();
    QString error;
    const int fd = OpenDevice(device, baud, &error);
    lock.lock();
    if (fd < 0) {
        m_errorText = error;
        return false;
    }
    int status = 0;
    m_hasModemLines = ::ioctl(fd, TIOCMGET, &status) == 0;
    m_fd = fd;
    m_portOpen = true;
    SetLineUp(true);
    Wake();
    return true;
}

void TSerialThread::RequestClose() {
    bool closing = false;
    {
        std::lock_guard lock(m_mutex);
        m_ring.Clear();
        ClearLineFlags();
        closing = m_portOpen;
        if (closing) {
            m_portOpen = false;
            m_closeRequested = true;
        }
    }
    SetAccept(false);
    if (closing)
        Wake();
}

qint64 TSerialThread::ReadBytes(char* dst, qint64 max) {
    std::lock_guard lock(m_mutex);
    return static_cast<qint64>(m_ring.Take(dst, max));
}

bool TSerialThread::WriteBytes(QByteArrayView bytes) {
    int fd = -1;
    {
        std::lock_guard lock(m_mutex);
        if (!m_portOpen || m_failed)
            return false;
        fd = m_fd; // the engine's own thread asks for every close, so fd stays valid while it writes
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWriteWaitMs);
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, static_cast<std::size_t>(bytes.size() - done));
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN) {
            // The driver's output queue is full; without flow control it drains at the line rate.
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                // Part of a record went out: the device can only reject it, so the line is failed.
                Fail(SystemText(ETIMEDOUT, QStringLiteral("SERIAL:write() error")));
                return false;
            }
            pollfd p{fd, POLLOUT, 0};
            ::poll(&p, 1, static_cast<int>(left.count()));
            continue;
        }
        Fail(SystemText(n < 0 ? errno : EIO, QStringLiteral("SERIAL:write() error")));
        return false;
    }
    return true;
}

void TSerialThread::ClearErrors() {
    // Linux keeps no error state that stops a port: a framing, parity or overrun error arrives as a
    // damaged byte, which the record check rejects, and the port carries on. There is nothing to clear;
    // a failure of the line itself is not cleared by a retry.
}

void TSerialThread::Fail(const QString& text) {
    {
        std::lock_guard lock(m_mutex);
        // After a close request nothing of the old line is reported any more.
        if (!m_portOpen || m_failed)
            return;
        m_failed = true;
        m_errorText = text;
        ReportLineError();
    }
    Notify();
}

// --- worker ------------------------------------------------------------------------------------------

void TSerialThread::Execute() {
    ::pthread_setname_np(::pthread_self(), "SERIAL DRIVER");
    for (;;) {
        int fd = -1;
        bool watch = false;
        bool modem = false;
        {
            std::unique_lock lock(m_mutex);
            if (m_closeRequested) {
                const int closing = m_fd;
                lock.unlock();
                ClosePort(closing);
                lock.lock();
                m_fd = -1;
                m_closeRequested = false;
                m_hasModemLines = false;
                m_closeDone.notify_all();
            }
            if (m_terminated)
                return;
            fd = m_fd;
            // A failed line is no longer read: a hung-up port would report itself readable forever.
            watch = fd >= 0 && m_portOpen && !m_failed;
            modem = watch && m_hasModemLines;
        }
        pollfd fds[2] = {{m_wake[0], POLLIN, 0}, {fd, POLLIN, 0}};
        if (::poll(fds, watch ? 2 : 1, modem ? kModemPollMs : -1) < 0)
            continue; // interrupted by a signal
        if (fds[0].revents != 0) {
            char drain[64];
            while (::read(m_wake[0], drain, sizeof drain) > 0) {
            }
        }
        if (watch && fds[1].revents != 0)
            ReadPort(fd);
        if (modem)
            WatchModemLines(fd);
    }
}

void TSerialThread::ReadPort(int fd) {
    char staging[kRingSize];
    const ssize_t n = ::read(fd, staging, sizeof staging);
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    if (n <= 0) {
        // End of file is how a hung-up port answers: the device was unplugged, or the far end of a
        // pseudo terminal closed.
        Fail(n == 0 ? QStringLiteral("Line hung up(0:SERIAL:read() error)")
                    : SystemText(errno, QStringLiteral("SERIAL:read() error")));
        return;
    }
    bool overflow = false;
    {
        std::lock_guard lock(m_mutex);
        if (!m_portOpen || !Accepting())
            return; // before the handshake (or after the close) the bytes are not the engine's
        overflow = !m_ring.Put(staging, static_cast<std::size_t>(n));
    }
    if (overflow) {
        // Dropping bytes would let a damaged file through; a failed line is retried or reported instead.
        Fail(QStringLiteral("Receive buffer overflow(%1:SERIAL:read() error)").arg(n));
        return;
    }
    Notify();
}

void TSerialThread::WatchModemLines(int fd) {
    int status = 0;
    if (::ioctl(fd, TIOCMGET, &status) != 0)
        return; // this time without a comparison; the bytes are still read
    bool lost = false;
    {
        std::lock_guard lock(m_mutex);
        lost = m_modem.Update(status);
    }
    if (lost)
        Fail(QStringLiteral("Carrier lost(%1:SERIAL:modem status)").arg(status));
}

void TSerialThread::ClosePort(int fd) {
    if (fd < 0)
        return;
    // What the engine wrote last (an ETB) should still reach the device. A port that cannot send it
    // within a moment is cut, so that close() cannot wait on it. Pseudo terminals pass their bytes on
    // at once and report nothing queued.
    for (int waited = 0; waited < kDrainMs; ++waited) {
        int queued = 0;
        if (::ioctl(fd, TIOCOUTQ, &queued) != 0 || queued == 0)
            break;
        ::usleep(1000);
    }
    int queued = 0;
    if (::ioctl(fd, TIOCOUTQ, &queued) == 0 && queued > 0)
        ::tcflush(fd, TCOFLUSH);
    ::tcflush(fd, TCIFLUSH);
    ::ioctl(fd, TIOCNXCL);
    ::close(fd);
}

} // namespace qdv
