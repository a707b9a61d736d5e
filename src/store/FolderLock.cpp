#include "store/FolderLock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace qdv {

namespace {

constexpr int kPollMs = 20;
constexpr qint64 kMaxHolderBytes = 1024;

// Which thread of this process holds which folder: a thread taking a folder it holds already gets a
// nested hold instead of waiting for itself.
std::mutex g_registryMutex;
std::map<QString, std::thread::id> g_holders;
QString g_programName;

QString ProgramName() {
    const std::lock_guard<std::mutex> lock(g_registryMutex);
    return g_programName.isEmpty() ? QString::fromLocal8Bit(program_invocation_short_name) : g_programName;
}

} // namespace

FolderLock::~FolderLock() {
    Release();
}

void FolderLock::SetProgramName(const QString& name) {
    const std::lock_guard<std::mutex> lock(g_registryMutex);
    g_programName = name;
}

QString FolderLock::HolderText(const QByteArray& contents) {
    const QList<QByteArray> lines = contents.split('\n');
    const QString program = QString::fromUtf8(lines.value(0)).trimmed();
    const QString pid = QString::fromUtf8(lines.value(1)).trimmed();
    const QString job = QString::fromUtf8(lines.value(2)).trimmed();
    // The holder writes its lines just after taking the lock; a look in between finds none yet.
    if (program.isEmpty())
        return QStringLiteral("another program is writing into it");
    QString text = pid.isEmpty() ? program : QStringLiteral("%1 (pid %2)").arg(program, pid);
    return job.isEmpty() ? text + QStringLiteral(" is writing into it") : text + QStringLiteral(" is ") + job;
}

bool FolderLock::Open(const QString& folder) {
    if (m_fd >= 0)
        return true;
    if (folder.isEmpty() || !QDir().mkpath(folder)) {
        m_error = QStringLiteral("Cannot create directory.(%1)").arg(folder);
        return false;
    }
    const QByteArray path = QFile::encodeName(QDir(folder).filePath(QString::fromLatin1(kFileName)));
    // Not inherited by programs this one starts: a child outliving its parent would keep the folder.
    m_fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (m_fd < 0 && errno == EACCES)
        m_fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC); // another user's lock file still locks
    if (m_fd < 0) {
        m_error = QStringLiteral("cannot open %1: %2")
                      .arg(QFile::decodeName(path), QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    return true;
}

void FolderLock::ReadHolder() {
    QByteArray contents(kMaxHolderBytes, '\0');
    const ssize_t n = ::pread(m_fd, contents.data(), static_cast<size_t>(contents.size()), 0);
    contents.truncate(n > 0 ? static_cast<qsizetype>(n) : 0);
    m_holder = HolderText(contents);
}

FolderLock::Result FolderLock::TryLock(const QString& folder, const QString& job) {
    if (Held())
        return Result::Taken;
    m_error.clear();
    m_holder.clear();
    if (!Open(folder))
        return Result::Failed;
    const QString key = QFileInfo(folder).canonicalFilePath();
    {
        const std::lock_guard<std::mutex> lock(g_registryMutex);
        const auto it = g_holders.find(key);
        if (it != g_holders.end() && it->second == std::this_thread::get_id()) {
            ::close(m_fd);
            m_fd = -1;
            m_nested = true;
            return Result::Taken;
        }
        if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
            const int why = errno;
            if (why != EWOULDBLOCK) {
                m_error = QStringLiteral("cannot lock %1: %2")
                              .arg(folder, QString::fromLocal8Bit(std::strerror(why)));
                ::close(m_fd);
                m_fd = -1;
                return Result::Failed;
            }
            ReadHolder();
            return Result::Busy;
        }
        g_holders[key] = std::this_thread::get_id();
        m_locked = true;
    }
    m_key = key;
    const QByteArray text = (ProgramName() + QLatin1Char('\n') + QString::number(::getpid()) +
                             QLatin1Char('\n') + job + QLatin1Char('\n'))
                                .toUtf8();
    // The text is only for others' messages: a read-only lock file still locks.
    [[maybe_unused]] const bool written =
        ::ftruncate(m_fd, 0) == 0 &&
        ::pwrite(m_fd, text.constData(), static_cast<size_t>(text.size()), 0) >= 0;
    return Result::Taken;
}

FolderLock::Result FolderLock::Lock(const QString& folder, const QString& job, int timeoutMs,
                                    const std::function<bool()>& cancelled,
                                    const std::function<void(const QString&)>& waiting) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    bool told = false;
    for (;;) {
        const Result r = TryLock(folder, job);
        if (r != Result::Busy)
            return r;
        if (!told && waiting && timeoutMs > 0)
            waiting(m_holder);
        told = true;
        if (cancelled && cancelled())
            return Result::Cancelled;
        if (std::chrono::steady_clock::now() >= deadline)
            return Result::Busy;
        std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
    }
}

void FolderLock::Release() {
    if (m_nested) {
        m_nested = false;
        return;
    }
    if (m_fd < 0)
        return;
    if (m_locked) {
        const std::lock_guard<std::mutex> lock(g_registryMutex);
        g_holders.erase(m_key);
        // The next holder writes its own text; an empty file names nobody meanwhile.
        [[maybe_unused]] const bool emptied = ::ftruncate(m_fd, 0) == 0;
        ::close(m_fd);
    } else {
        ::close(m_fd);
    }
    m_fd = -1;
    m_locked = false;
    m_key.clear();
}

} // namespace qdv
