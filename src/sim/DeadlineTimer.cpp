#include "sim/DeadlineTimer.h"

#include <sys/timerfd.h>
#include <unistd.h>

namespace qdv::sim {

namespace {
constexpr qint64 kNsPerSecond = 1'000'000'000;
}

DeadlineTimer::DeadlineTimer(QObject* parent) : QObject(parent) {
    // steady_clock is CLOCK_MONOTONIC on Linux, so its readings are absolute times for this timer.
    m_fd = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_fd < 0)
        return;
    m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &DeadlineTimer::OnReadable);
}

DeadlineTimer::~DeadlineTimer() {
    m_notifier.reset();
    if (m_fd >= 0)
        ::close(m_fd);
}

void DeadlineTimer::StartAt(qint64 steadyNs) {
    if (m_fd < 0)
        return;
    itimerspec when{};
    // Zero would disarm the timer; a time in the past fires at once.
    const qint64 at = std::max<qint64>(steadyNs, 1);
    when.it_value.tv_sec = at / kNsPerSecond;
    when.it_value.tv_nsec = at % kNsPerSecond;
    ::timerfd_settime(m_fd, TFD_TIMER_ABSTIME, &when, nullptr);
}

void DeadlineTimer::Stop() {
    if (m_fd < 0)
        return;
    const itimerspec off{};
    ::timerfd_settime(m_fd, 0, &off, nullptr);
}

void DeadlineTimer::OnReadable() {
    quint64 expirations = 0;
    if (::read(m_fd, &expirations, sizeof expirations) == sizeof expirations)
        Q_EMIT Expired();
}

} // namespace qdv::sim
