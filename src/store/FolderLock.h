#pragma once

#include <QString>
#include <functional>

namespace qdv {

// The lock of one backup folder, taken by every writer for the whole of its writing: receive jobs,
// import, restore, the editors, the hosted services' write-backs. It is an advisory lock (flock) on the
// hidden file ".qdv70.lock" inside the folder, so the kernel frees it when the holder's process ends,
// however it ends. The holder writes its program, process id and job into the file, for the message of
// whoever has to wait.
//
// Two FolderLock objects exclude each other also inside one process (each opens the file on its own),
// except on the thread that already holds the folder: there a second lock is a nested hold that
// releases nothing when it ends, so that a holder may call code that takes the lock itself.
//
// The lock file is never removed (removing a locked file would let a second writer lock a new file of
// the same name) and is not a data file: the history, its diff and the folder check pass it by.
// How a transfer job treats its backup folder's lock: the job takes it itself, waiting up to `waitMs`
// for another holder, or whoever started the job holds it already.
struct FolderLockUse {
    static constexpr int kDefaultWaitMs = 60000;
    bool heldByCaller = false;
    int waitMs = kDefaultWaitMs;
};

class FolderLock {
public:
    static constexpr const char* kFileName = ".qdv70.lock";

    enum class Result {
        Taken,     // this object holds the folder
        Busy,      // another holder has it; Holder() says who
        Cancelled, // the cancel hook ended the wait
        Failed,    // no lock file can be made or opened (a missing parent, a read-only folder)
    };

    FolderLock() = default;
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // Takes the lock of `folder` (created with its parents when missing) without waiting. `job` says
    // what the holder does ("receiving Primary"), for the messages of others.
    Result TryLock(const QString& folder, const QString& job);
    // Waits up to `timeoutMs` for the lock, asking `cancelled` (when given) every few milliseconds.
    // `waiting` (when given) is called once, with the holder's text, when a wait begins (not when
    // `timeoutMs` is 0).
    Result Lock(const QString& folder, const QString& job, int timeoutMs,
                const std::function<bool()>& cancelled = {},
                const std::function<void(const QString& holder)>& waiting = {});
    void Release();

    bool Held() const { return m_locked || m_nested; }
    // After Busy: who holds the folder, e.g. "qdv70 (pid 1234) is receiving Primary".
    const QString& Holder() const { return m_holder; }
    // After Failed: why.
    const QString& ErrorString() const { return m_error; }

    // The text of a holder as it wrote itself into the lock file.
    static QString HolderText(const QByteArray& lockFileContents);
    // The program name written into the lock file; the executable's name unless set.
    static void SetProgramName(const QString& name);

private:
    bool Open(const QString& folder);
    void ReadHolder();

    int m_fd = -1;
    bool m_locked = false;
    bool m_nested = false;
    QString m_key; // the folder's canonical path, while held
    QString m_holder;
    QString m_error;
};

} // namespace qdv
