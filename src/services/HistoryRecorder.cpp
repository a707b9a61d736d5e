#include "services/HistoryRecorder.h"

namespace qdv {

HistoryRecorder::HistoryRecorder(Snapshot snapshot, std::chrono::milliseconds quiet)
    : m_snapshot(std::move(snapshot)), m_quiet(quiet), m_thread(&HistoryRecorder::Run, this) {}

HistoryRecorder::~HistoryRecorder() {
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void HistoryRecorder::Changed(const QString& folder) {
    QString previous;
    {
        const std::lock_guard lock(m_mutex);
        if (!m_pending.isEmpty() && m_pending != folder)
            previous = m_pending; // another folder's changes are complete: record them now
        m_pending = folder;
        m_lastChange = std::chrono::steady_clock::now();
    }
    if (!previous.isEmpty())
        m_snapshot(previous);
    m_wake.notify_all();
}

void HistoryRecorder::Run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (m_pending.isEmpty()) {
            if (m_stop)
                return;
            m_wake.wait(lock);
            continue;
        }
        if (!m_stop && m_wake.wait_until(lock, m_lastChange + m_quiet) != std::cv_status::timeout)
            continue; // a new change, or the stop: look again
        if (!m_stop && std::chrono::steady_clock::now() < m_lastChange + m_quiet)
            continue;
        const QString folder = m_pending;
        m_pending.clear();
        lock.unlock();
        m_snapshot(folder);
        lock.lock();
    }
}

} // namespace qdv
