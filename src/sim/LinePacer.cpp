#include "sim/LinePacer.h"

#include <algorithm>

namespace qdv::sim {

namespace {
constexpr qint64 kBitsPerByte = 10; // start bit, 8 data bits, stop bit
constexpr qint64 kNsPerSecond = 1'000'000'000;
} // namespace

qint64 LinePacer::EndOf(qint64 k) const {
    // Counted from the start so that rounding never accumulates (a byte at 38400 bit/s is 260416.6 ns).
    return m_start + (k * kBitsPerByte * kNsPerSecond + m_rate - 1) / m_rate;
}

void LinePacer::Queue(qint64 nowNs, qint64 count) {
    if (count <= 0)
        return;
    if (Waiting() == 0) {
        // An idle line starts with these bytes, but not before it finished the last ones.
        const qint64 free = Paced() ? EndOf(m_taken) : nowNs;
        m_start = std::max(free, nowNs);
        m_queued = m_taken = 0;
    }
    m_queued += count;
}

qint64 LinePacer::Take(qint64 nowNs) {
    qint64 crossed = m_queued;
    if (Paced() && nowNs < EndOf(m_queued))
        crossed = nowNs < m_start ? 0 : (nowNs - m_start) * m_rate / (kBitsPerByte * kNsPerSecond);
    const qint64 n = std::max<qint64>(0, crossed - m_taken);
    m_taken += n;
    return n;
}

} // namespace qdv::sim
