#include "app/SingleInstance.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>

namespace qdv {
namespace {

QString DefaultLockFolder() {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
}

} // namespace

SingleInstance::SingleInstance() : m_lockFolder(DefaultLockFolder()) {}

SingleInstance::SingleInstance(QString lockFolder) : m_lockFolder(std::move(lockFolder)) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::TryAcquire(const QString& executableFileName) {
    m_lock.reset();
    const QString name = QFileInfo(executableFileName).fileName();
    if (name.isEmpty())
        return false;
    m_lockFilePath = QDir(m_lockFolder).filePath(name + QStringLiteral(".lock"));
    auto lock = std::make_unique<QLockFile>(m_lockFilePath);
    // The lock must outlive any pause of the running instance, so it never goes stale by age; a lock
    // whose process has ended is still recognised and taken over.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0))
        return false;
    m_lock = std::move(lock);
    return true;
}

bool SingleInstance::IsHeld() const {
    return m_lock && m_lock->isLocked();
}

} // namespace qdv
