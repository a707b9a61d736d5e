#pragma once

#include "history/BackupHistory.h"

#include <QHash>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <mutex>

namespace qdv::history {

// Snapshots for writers that change a folder many times in a row (a hosted service's write-backs):
// requests from any thread are gathered, and one snapshot per folder is taken on this object's thread
// when `delayMs` have passed since the first of them, naming every job asked for. Whatever is pending
// when the object goes is snapshotted then. The object may live on a thread of its own, so that a slow
// push to the history's remote holds up no window.
class DeferredSnapshot : public QObject {
    Q_OBJECT

public:
    using Report = std::function<void(const SnapshotResult&)>;

    // `report` (may be empty) hears the result of every snapshot taken.
    explicit DeferredSnapshot(int delayMs = 1000, Report report = {}, QObject* parent = nullptr);
    ~DeferredSnapshot() override;

    // Thread-safe.
    void Request(const QString& folder, const QString& setupName, const QString& what);
    // Takes the pending snapshots now.
    void Flush();
    // Stops the timer and takes the pending snapshots; on this object's thread, before it ends.
    void Finish();
    int PendingFolders() const;

private:
    struct Pending {
        QString setupName;
        QStringList jobs;
    };

    mutable std::mutex m_mutex;
    QHash<QString, Pending> m_pending;
    QTimer m_timer;
    Report m_report;
};

} // namespace qdv::history
