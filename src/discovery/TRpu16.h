#pragma once

#include "discovery/DiscoveryWorker.h"

#include <QObject>
#include <QThread>
#include <atomic>
#include <memory>

namespace qdv {

class NetworkDeviceTable;

// The UDP discovery thread: runs a DiscoveryWorker on a thread of its own, ticking it every 50 ms and
// draining its socket whenever answers arrive. The task controller starts it in its UDP stage and
// stops it at shutdown; requests reach it through QueueRequest from any thread.
class TRpu16 final : public QObject {
    Q_OBJECT

public:
    TRpu16(NetworkDeviceTable& table, DiscoverySettings settings);
    ~TRpu16() override;

    void Start();
    // Ends the thread after its current tick and closes the socket.
    void Stop();
    // True once the thread has set up its worker and timer; StartedReached() says so as it happens.
    bool Started() const { return m_started.load(); }

    // Clears the answer status of `entry` (255: no particular device), makes `kind` the device table's
    // current request kind and queues the request. False for a kind outside 0..2.
    bool QueueRequest(int entry, int kind);

    DiscoveryWorker::State SocketState() const { return m_worker.SocketState(); }
    QString LastError() const { return m_worker.LastError(); }
    QList<QHostAddress> Targets() const { return m_worker.Targets(); }

Q_SIGNALS:
    // Emitted from the thread itself, once.
    void StartedReached();

private:
    NetworkDeviceTable& m_table;
    DiscoveryWorker m_worker;
    QThread m_thread;
    QObject* m_context = nullptr; // lives in the thread; its timer with it
    std::atomic<bool> m_started{false};
};

} // namespace qdv
