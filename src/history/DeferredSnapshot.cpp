#include "history/DeferredSnapshot.h"

namespace qdv::history {

DeferredSnapshot::DeferredSnapshot(int delayMs, Report report, QObject* parent)
    : QObject(parent), m_report(std::move(report)) {
    m_timer.setSingleShot(true);
    m_timer.setInterval(delayMs);
    connect(&m_timer, &QTimer::timeout, this, &DeferredSnapshot::Flush);
}

DeferredSnapshot::~DeferredSnapshot() {
    Flush();
}

void DeferredSnapshot::Request(const QString& folder, const QString& setupName, const QString& what) {
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        Pending& p = m_pending[folder];
        p.setupName = setupName;
        if (!p.jobs.contains(what))
            p.jobs << what;
    }
    // The timer lives on this object's thread; a running one is left alone, so that a steady stream of
    // writes is still recorded once per delay.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!m_timer.isActive())
                m_timer.start();
        },
        Qt::QueuedConnection);
}

void DeferredSnapshot::Flush() {
    QHash<QString, Pending> pending;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        pending.swap(m_pending);
    }
    for (auto it = pending.cbegin(); it != pending.cend(); ++it) {
        const SnapshotResult r =
            BackupHistory::Snapshot(it.key(), it->setupName, it->jobs.join(QStringLiteral(", ")));
        if (m_report)
            m_report(r);
    }
}

void DeferredSnapshot::Finish() {
    m_timer.stop();
    Flush();
}

int DeferredSnapshot::PendingFolders() const {
    const std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<int>(m_pending.size());
}

} // namespace qdv::history
