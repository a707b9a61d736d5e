#include "link/StationTables.h"

#include "store/HexText.h"

namespace qdv {

void StationTables::SetAddress(int station, const QString& address) {
    if (station < 0 || station > kLast)
        return;
    std::lock_guard lock(m_mutex);
    m_address[static_cast<std::size_t>(station)] = address.left(16);
}

QString StationTables::Address(int station) const {
    if (station < 0 || station > kLast)
        return {};
    std::lock_guard lock(m_mutex);
    return m_address[static_cast<std::size_t>(station)];
}

void StationTables::ClearStations() {
    for (std::size_t i = 0; i < state.size(); ++i) {
        state[i] = kNotChosen;
        result[i] = kSuccess;
    }
    currentStation = 0;
    dialogState = 0;
    dialogError = false;
    std::lock_guard lock(m_mutex);
    m_address.fill(QString());
}

void StationTables::ClearMenu() {
    for (std::size_t i = 0; i < present.size(); ++i) {
        present[i] = false;
        deviceType[i] = 0;
    }
}

void StationTables::MarkRemainingFailed() {
    for (int s = kFirst; s <= kLast; ++s) {
        const auto i = static_cast<std::size_t>(s);
        if (state[i] == kChosen || state[i] == kInProgress) {
            result[i] = kFailed;
            state[i] = kDone;
        }
    }
}

void StationTables::ParsePresence(QByteArrayView text) {
    for (std::size_t i = 0; i < present.size(); ++i) {
        present[i] = false;
        const qsizetype at = static_cast<qsizetype>(2 * i);
        if (at + 1 < text.size())
            present[i] = hex::Byte(text.data() + at) != 0;
    }
}

void StationTables::ParseDeviceTypes(QByteArrayView text) {
    for (std::size_t i = 0; i < deviceType.size(); ++i) {
        deviceType[i] = 0;
        const qsizetype at = static_cast<qsizetype>(2 * i);
        if (at + 1 < text.size())
            deviceType[i] = hex::Byte(text.data() + at);
    }
}

} // namespace qdv
