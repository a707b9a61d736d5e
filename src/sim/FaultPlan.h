#pragma once

#include "sim/Fault.h"

#include <QByteArray>
#include <QByteArrayView>
#include <array>

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
};

} // namespace qdv::sim
