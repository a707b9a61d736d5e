#pragma once

#include <QString>

#include <memory>

class QLockFile;

namespace qdv {

// Keeps a second copy of the same program from running. The lock is named after the executable's file
// name, so a copy installed under another name runs beside it. It is held for the life of the object;
// a lock left behind by a process that died is taken over.
class SingleInstance {
public:
    // Locks live in the user's runtime folder (the temporary folder when there is none).
    SingleInstance();
    // Locks live in `lockFolder`.
    explicit SingleInstance(QString lockFolder);
    ~SingleInstance();

    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when this process now holds the lock of `executableFileName` (a folder part is ignored);
    // false when another running instance holds it or the lock cannot be made. A lock held from an
    // earlier call is released first.
    bool TryAcquire(const QString& executableFileName);

    bool IsHeld() const;
    // Path of the lock file of the last TryAcquire, empty before the first.
    QString LockFilePath() const { return m_lockFilePath; }

private:
    QString m_lockFolder;
    QString m_lockFilePath;
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace qdv
