#pragma once

#include <QtGlobal>

namespace qdv::sim {

// One direction of a serial line at a given bit rate: a byte of 8N1 takes ten bit times, and the bytes
// handed to the line cross it one after another. Time is whatever monotonic nanosecond count the caller
// gives, so tests drive it by hand. A rate of 0 is an unpaced line: everything crosses at once.
class LinePacer {
public:
    explicit LinePacer(int bitRate = 0) : m_rate(bitRate) {}

    bool Paced() const { return m_rate > 0; }
    // `count` bytes are handed to the line at `nowNs`, behind those still crossing it.
    void Queue(qint64 nowNs, qint64 count);
    // How many of the handed bytes have crossed the line completely by `nowNs`; they leave the queue.
    qint64 Take(qint64 nowNs);
    qint64 Waiting() const { return m_queued - m_taken; }
    // When the next `count` waiting bytes will have crossed; only meaningful while that many wait.
    qint64 DueNs(qint64 count = 1) const { return EndOf(m_taken + count); }

private:
    // When byte k (counted from 1 since the line last started from idle) has crossed.
    qint64 EndOf(qint64 k) const;

    int m_rate;
    qint64 m_start = 0;  // the line started sending, from idle
    qint64 m_queued = 0; // bytes handed to the line since m_start
    qint64 m_taken = 0;  // of those, bytes that have crossed and were taken
};

} // namespace qdv::sim
