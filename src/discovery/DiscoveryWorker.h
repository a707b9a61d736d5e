#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QString>
#include <atomic>
#include <deque>
#include <memory>
#include <mutex>

class QUdpSocket;

namespace qdv {

class NetworkDeviceTable;
struct PortSettings;

// Where discovery requests go and on which port.
struct DiscoverySettings {
    quint16 port = 8020;
    // [UDP] BROADCAST of QDV70COMM.INI. When the key is absent (`broadcastGiven` false) requests go to
    // 255.255.255.255 and also to the directed broadcast address of every IPv4 interface that is up and
    // not loopback, because Linux sends the limited broadcast out of one interface only. When the key is
    // present, to that address alone.
    QString broadcast = QStringLiteral("255.255.255.255");
    bool broadcastGiven = false;

    static DiscoverySettings FromPorts(const PortSettings& ports);
};

// The UDP side of device discovery, without a thread of its own: one socket with broadcast and address
// reuse bound to the port, a queue of requests, and the socket's states. TRpu16 runs it on its thread,
// ticking it every 50 ms; tests tick it directly.
//
//   state      tick                                                         next
//   0 closed   open the socket (bind to any address on the port)            1, or 255 on failure
//   1 open     send the oldest queued request to every target address       1, or 255 on a send error
//   255 failed count ticks; after 120 (6 s) open again                      0
//
// Answers are not tied to ticks: Drain() takes every datagram waiting on the socket into the device
// table, and the socket calls it as soon as it is readable, so a burst of answers is never dropped.
class DiscoveryWorker {
public:
    enum State : int { kClosed = 0, kOpen = 1, kFailed = 255 };
    static constexpr int kRetryTicks = 120;
    static constexpr int kQueueSlots = 50;
    static constexpr int kMaxDatagram = 512;

    DiscoveryWorker(NetworkDeviceTable& table, DiscoverySettings settings);
    ~DiscoveryWorker();
    DiscoveryWorker(const DiscoveryWorker&) = delete;
    DiscoveryWorker& operator=(const DiscoveryWorker&) = delete;

    // Any thread: appends the request of `kind` (0..2) to the queue, dropping the oldest when 50 are
    // waiting. Requests queued while the socket is closed or failed are kept and sent once it opens.
    bool Queue(int kind);
    int QueuedRequests() const;

    // The worker's thread.
    void Tick();
    void Drain();
    void Close();

    State SocketState() const { return m_state.load(); }
    // The reason of the latest socket failure, e.g. "bind() error: ...".
    QString LastError() const;
    // Where each request goes, as decided when the socket opened.
    QList<QHostAddress> Targets() const;
    quint16 LocalPort() const;

private:
    bool Open();
    bool SendOne();
    void Fail(const QString& text);
    QList<QHostAddress> FindTargets(QString* error) const;

    NetworkDeviceTable& m_table;
    const DiscoverySettings m_settings;
    std::unique_ptr<QUdpSocket> m_socket;
    std::atomic<State> m_state{kClosed};
    std::atomic<bool> m_errorNotice{false};
    int m_failedTicks = 0;
    mutable std::mutex m_mutex; // the queue, the targets and the error text
    std::deque<QByteArray> m_queue;
    QList<QHostAddress> m_targets;
    QString m_error;
};

} // namespace qdv
