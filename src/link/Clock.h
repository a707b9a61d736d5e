#pragma once

#include <QtGlobal>

namespace qdv {

// Monotonic time for the link engine's time limits. Tests replace it with a clock they advance by hand,
// so a ten-second time-out costs no wall time.
class Clock {
public:
    virtual ~Clock() = default;
    virtual qint64 NowMs() const = 0;
};

// The system's monotonic clock.
class SteadyClock final : public Clock {
public:
    qint64 NowMs() const override;
};

// A clock that moves only when told; for tests and simulations.
class ManualClock final : public Clock {
public:
    qint64 NowMs() const override { return m_now; }
    void Advance(qint64 ms) { m_now += ms; }

private:
    qint64 m_now = 0;
};

// Countdown slots: each is set to a number of 10 ms units and has run out when that time has passed.
// A slot never set has run out.
class Countdowns {
public:
    static constexpr int kSlots = 7;
    static constexpr int kUnitMs = 10;

    explicit Countdowns(const Clock& clock) : m_clock(clock) {}
    void Set(int slot, int units) { m_deadline[slot] = m_clock.NowMs() + qint64(units) * kUnitMs; }
    bool Expired(int slot) const { return m_clock.NowMs() >= m_deadline[slot]; }
    // Milliseconds until the slot runs out; 0 once it has.
    qint64 LeftMs(int slot) const { return qMax<qint64>(0, m_deadline[slot] - m_clock.NowMs()); }

private:
    const Clock& m_clock;
    qint64 m_deadline[kSlots] = {};
};

} // namespace qdv
