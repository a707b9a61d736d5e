#include "sim/SimSerialLine.h"

#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace qdv::sim {

namespace {

// How often a port that no PC has open is checked for a PC opening it; the pair reports nothing else
// meanwhile (it is hung up until then).
constexpr int kPcWatchMs = 5;

QString ErrnoText(int error) {
    char buf[128];
    return QString::fromLocal8Bit(::strerror_r(error, buf, sizeof buf));
}

bool MakeRaw(int fd) {
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0)
        return false;
    ::cfmakeraw(&tio);
    return ::tcsetattr(fd, TCSANOW, &tio) == 0;
}

QString LinkTarget(const QString& link) {
    char buf[256];
    const ssize_t n = ::readlink(QFile::encodeName(link).constData(), buf, sizeof buf - 1);
    return n > 0 ? QFile::decodeName(QByteArray(buf, n)) : QString();
}

} // namespace

SimSerialLine::SimSerialLine(QString dataDir, FaultPlan* faults, int bitRate, QObject* parent)
    : QObject(parent), m_dir(std::move(dataDir)), m_faults(faults), m_rate(bitRate), m_outPacer(bitRate),
      m_inPacer(bitRate) {
    m_pcWatch.setInterval(kPcWatchMs);
    connect(&m_outTimer, &DeadlineTimer::Expired, this, &SimSerialLine::PumpOut);
    connect(&m_inTimer, &DeadlineTimer::Expired, this, &SimSerialLine::PumpIn);
    connect(&m_pcWatch, &QTimer::timeout, this, &SimSerialLine::CheckPcOpened);
}

SimSerialLine::~SimSerialLine() {
    ClosePair();
    // The link goes with the simulator, unless something else has taken its place meanwhile.
    if (!m_link.isEmpty() && LinkTarget(m_link) == m_device)
        QFile::remove(m_link);
}

qint64 SimSerialLine::NextBatchNs(const LinePacer& pacer) const {
    const qint64 perMs = std::max<qint64>(1, m_rate / 10 / 1000);
    return pacer.DueNs(std::min(pacer.Waiting(), perMs));
}

qint64 SimSerialLine::NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool SimSerialLine::Open(const QString& linkPath, QString* error) {
    m_link = QFileInfo(linkPath).absoluteFilePath();
    struct stat st {};
    if (::lstat(QFile::encodeName(m_link).constData(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        *error = QStringLiteral("%1 exists and is not a link").arg(m_link);
        return false;
    }
    return OpenPair(error);
}

bool SimSerialLine::OpenPair(QString* error) {
    int master = -1;
    int slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
        *error = QStringLiteral("cannot open a pseudo terminal: %1").arg(ErrnoText(errno));
        return false;
    }
    char name[128] = {};
    // Raw both ways: no echo of what the controller sends, no line editing, no CR/LF translation, until
    // the PC sets the port up its own way.
    const bool ok = MakeRaw(master) && MakeRaw(slave) && ::ptsname_r(master, name, sizeof name) == 0 &&
                    ::fcntl(master, F_SETFL, O_NONBLOCK) == 0 && ::fcntl(master, F_SETFD, FD_CLOEXEC) == 0;
    const int setupError = errno;
    // The PC opens the far end by its name; until then the pair reports a hang-up.
    ::close(slave);
    if (!ok) {
        ::close(master);
        *error = QStringLiteral("cannot set up a pseudo terminal: %1").arg(ErrnoText(setupError));
        return false;
    }
    // Replace the link in one step, so a PC opening it meanwhile finds the old pair or the new one.
    const QByteArray link = QFile::encodeName(m_link);
    const QByteArray fresh = link + ".new";
    ::unlink(fresh.constData());
    if (::symlink(name, fresh.constData()) != 0 || ::rename(fresh.constData(), link.constData()) != 0) {
        const int linkError = errno;
        ::unlink(fresh.constData());
        ::close(master);
        *error = QStringLiteral("cannot link %1 to %2: %3")
                     .arg(m_link, QString::fromLatin1(name), ErrnoText(linkError));
        return false;
    }
    m_master = master;
    m_device = QString::fromLatin1(name);
    m_readable = std::make_unique<QSocketNotifier>(master, QSocketNotifier::Read);
    m_writable = std::make_unique<QSocketNotifier>(master, QSocketNotifier::Write);
    connect(m_readable.get(), &QSocketNotifier::activated, this, &SimSerialLine::PumpIn);
    connect(m_writable.get(), &QSocketNotifier::activated, this, &SimSerialLine::PumpOut);
    m_readable->setEnabled(false);
    m_writable->setEnabled(false);
    StartController();
    m_pcOpen = false;
    m_pcWatch.start();
    return true;
}

void SimSerialLine::ClosePair() {
    m_pcWatch.stop();
    m_outTimer.Stop();
    m_inTimer.Stop();
    m_readable.reset();
    m_writable.reset();
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
    m_pcOpen = false;
    m_controller.reset();
    ResetLine();
}

void SimSerialLine::ResetLine() {
    m_out.clear();
    m_outCleared = 0;
    m_inQueued = 0;
    m_outPacer = LinePacer(m_rate);
    m_inPacer = LinePacer(m_rate);
}

void SimSerialLine::StartController() {
    m_controller = std::make_unique<SimulatedController>(m_dir, m_faults);
    m_controller->SetOutput([this](const QByteArray& bytes) { Output(bytes); });
    // The drop comes from inside Receive(); closing later keeps the controller alive until it returns.
    m_controller->SetDropLine(
        [this] { QMetaObject::invokeMethod(this, &SimSerialLine::DropLine, Qt::QueuedConnection); });
    m_controller->SetLog(
        [](const QString& text) { QTextStream(stderr) << "qdv70sim: " << text << Qt::endl; });
}

void SimSerialLine::DropLine() {
    // The PC's port hangs up; a new pair takes the link for the next job.
    ClosePair();
    QString error;
    if (!OpenPair(&error))
        QTextStream(stderr) << "qdv70sim: " << error << Qt::endl;
}

void SimSerialLine::CheckPcOpened() {
    if (m_master < 0)
        return;
    pollfd p{m_master, POLLIN, 0};
    if (::poll(&p, 1, 0) < 0 || (p.revents & POLLHUP) != 0)
        return;
    m_pcOpen = true;
    m_pcWatch.stop();
    m_readable->setEnabled(true);
    if ((p.revents & POLLIN) != 0)
        PumpIn();
}

void SimSerialLine::PortClosedByPc() {
    m_readable->setEnabled(false);
    m_writable->setEnabled(false);
    m_outTimer.Stop();
    m_inTimer.Stop();
    m_pcOpen = false;
    // What the PC did not take is gone with its port, and a transfer under way ends.
    ResetLine();
    if (m_controller)
        m_controller->Disconnected();
    m_pcWatch.start();
}

void SimSerialLine::Output(const QByteArray& bytes) {
    if (!m_pcOpen)
        return;
    m_out += bytes;
    m_outPacer.Queue(NowNs(), bytes.size());
    PumpOut();
}

void SimSerialLine::PumpOut() {
    if (m_master < 0)
        return;
    const qint64 now = NowNs();
    m_outCleared += m_outPacer.Take(now);
    while (m_outCleared > 0) {
        const ssize_t n = ::write(m_master, m_out.constData(), static_cast<std::size_t>(m_outCleared));
        if (n > 0) {
            m_out.remove(0, n);
            m_outCleared -= n;
            m_bytesOut += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN) {
            m_writable->setEnabled(true); // the PC is not reading; go on when it does
            return;
        }
        // The PC closed its port; the reading side notices and ends the transfer.
        m_out.clear();
        m_outCleared = 0;
        return;
    }
    m_writable->setEnabled(false);
    if (m_outPacer.Waiting() > 0)
        m_outTimer.StartAt(NextBatchNs(m_outPacer));
}

void SimSerialLine::PumpIn() {
    if (m_master < 0 || !m_pcOpen)
        return;
    int available = 0;
    if (::ioctl(m_master, FIONREAD, &available) != 0)
        available = 0;
    if (available == 0) {
        // Readable with nothing to read: the PC has closed the port.
        pollfd p{m_master, POLLIN, 0};
        if (::poll(&p, 1, 0) > 0 && (p.revents & POLLHUP) != 0)
            PortClosedByPc();
        return;
    }
    const qint64 now = NowNs();
    qint64 allowed = available;
    if (m_inPacer.Paced()) {
        // Bytes the PC wrote sit in the pair at once; the controller sees them as the line carries them.
        m_inPacer.Queue(now, available - m_inQueued);
        m_inQueued = available;
        allowed = m_inPacer.Take(now);
    }
    while (allowed > 0) {
        char buf[4096];
        const ssize_t n =
            ::read(m_master, buf, static_cast<std::size_t>(std::min<qint64>(allowed, sizeof buf)));
        if (n <= 0)
            break;
        allowed -= n;
        if (m_inPacer.Paced())
            m_inQueued -= n;
        Deliver(buf, n);
        if (m_master < 0 || !m_pcOpen)
            return;
    }
    const bool waiting = m_inPacer.Waiting() > 0;
    m_readable->setEnabled(!waiting);
    if (waiting)
        m_inTimer.StartAt(NextBatchNs(m_inPacer));
}

void SimSerialLine::Deliver(const char* data, qint64 count) {
    m_bytesIn += count;
    const QByteArrayView bytes(data, count);
    m_controller->Receive(bytes);
    if (m_transferEnded && bytes.contains(record::kEtb))
        m_transferEnded(m_bytesIn, m_bytesOut);
}

} // namespace qdv::sim
