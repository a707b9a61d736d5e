#include "sim/FaultPlan.h"

namespace qdv::sim {

void FaultPlan::Add(Fault fault) {
    Slot(fault).given = true;
}

bool FaultPlan::Fire(Fault fault, QByteArrayView record) {
    State& s = Slot(fault);
    if (!s.given || s.spent)
        return false;
    const FaultRepeat repeat = InfoOf(fault).repeat;
    if (repeat == FaultRepeat::Always)
        return true;
    if (s.fired > 0 && record != QByteArrayView(s.record)) {
        s.spent = true;
        return false;
    }
    ++s.fired;
    s.record = record.toByteArray();
    if (repeat == FaultRepeat::Once || (repeat == FaultRepeat::Twice && s.fired == 2))
        s.spent = true;
    return true;
}

void FaultPlan::EndTransfer() {
    for (State& s : m_states) {
        if (s.fired > 0)
            s.spent = true;
    }
}

void FaultPlan::SetStationFault(int station, StationFault fault) {
    if (station >= 0 && station < static_cast<int>(m_stations.size()))
        m_stations[static_cast<std::size_t>(station)] = fault;
}

FaultPlan::StationFault FaultPlan::StationFaultOf(int station) const {
    if (station < 0 || station >= static_cast<int>(m_stations.size()))
        return StationFault::None;
    return m_stations[static_cast<std::size_t>(station)];
}

} // namespace qdv::sim
