#pragma once

#include "sim/Fault.h"

#include <QByteArray>
#include <QByteArrayView>
#include <array>
#include <cstdint>

namespace qdv::sim {

// The faults a simulator was started with and how far each has fired. One plan lives as long as the
// process and is shared by the controllers of successive connections, so a fault that fires once
// fires once per process.
class FaultPlan {
public:
    void Add(Fault fault);
    bool Has(Fault fault) const { return Slot(fault).given; }

    // Asks whether `fault` fires on this occasion and, if it does, counts the shot. `record` names the
    // record the occasion belongs to: a fault that fires more than once does so only on the same
    // record again (its resend), and a different record ends its run.
    bool Fire(Fault fault, QByteArrayView record = {});
    // A transfer ended: a fault that fires for a whole transfer is spent, and so is a fault that
    // fires twice but was resent only once.
    void EndTransfer();

    // Secondary stations that misbehave for the whole life of the process: a disabled station answers a
    // request for its data, or the start of a file for it, with the abort record; a silent one does not
    // answer at all.
    enum class StationFault : std::uint8_t { None, Disabled, Silent };
    void SetStationFault(int station, StationFault fault);
    StationFault StationFaultOf(int station) const;

private:
    struct State {
        bool given = false;
        int fired = 0;
        bool spent = false;
        QByteArray record;
    };
    State& Slot(Fault fault) { return m_states[static_cast<std::size_t>(fault)]; }
    const State& Slot(Fault fault) const { return m_states[static_cast<std::size_t>(fault)]; }

    std::array<State, kFaultCount> m_states{};
    std::array<StationFault, 256> m_stations{};
};

} // namespace qdv::sim
