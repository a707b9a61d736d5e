#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QtGlobal>
#include <memory>

namespace qdv::sim {

// A one-shot timer to the microsecond on the monotonic clock, for pacing a serial line: a byte at
// 38400 bit/s takes 0.26 ms, and the millisecond grain of QTimer would add most of a millisecond at
// every turn of the protocol.
class DeadlineTimer : public QObject {
    Q_OBJECT
public:
    explicit DeadlineTimer(QObject* parent = nullptr);
    ~DeadlineTimer() override;

    // Fires once at `steadyNs` (std::chrono::steady_clock, in nanoseconds); at once if that has passed.
    void StartAt(qint64 steadyNs);
    void Stop();

Q_SIGNALS:
    void Expired();

private:
    void OnReadable();

    int m_fd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace qdv::sim
