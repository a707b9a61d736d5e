#pragma once

#include <QString>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace qdv {

// Puts the changes SOAP clients make into the backup history: one snapshot once a folder's writes have
// paused for a moment, rather than one per request (a client often sends a burst of Set operations).
// A pending snapshot is taken before the recorder goes.
class HistoryRecorder {
public:
    using Snapshot = std::function<void(const QString& folder)>;

    explicit HistoryRecorder(Snapshot snapshot, std::chrono::milliseconds quiet = std::chrono::seconds(1));
    ~HistoryRecorder();

    HistoryRecorder(const HistoryRecorder&) = delete;
    HistoryRecorder& operator=(const HistoryRecorder&) = delete;

    // A file of backup folder `folder` was replaced.
    void Changed(const QString& folder);

private:
    void Run();

    Snapshot m_snapshot;
    std::chrono::milliseconds m_quiet;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    QString m_pending; // folder awaiting its snapshot; empty for none
    std::chrono::steady_clock::time_point m_lastChange;
    bool m_stop = false;
    std::thread m_thread;
};

} // namespace qdv
