#pragma once

#include "convert/AliasTables.h"
#include "convert/TerminalTextTable.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

namespace qdv::sim {

// Collects the name records ("7") the PC sends to a secondary station, checks each, and stores the
// tables once the last record has come: the descriptions as the image text Name/DESCRIPTION.DAU, the
// aliases as Name/ZEBU_ALS<k>.DAU, in the folder ZEBU_<nnn> of the addressed station (255 for a
// broadcast), so that a test can see what arrived.
class NameReceiver {
public:
    enum class Result { Taken, Last, Refused };

    void Reset();
    // Takes the binary data of one record. Refused: `why` says which check failed.
    Result Take(QByteArrayView data, QString* why);
    // After the last record: every name of every level sent must have come. Writes the tables.
    bool Store(const QString& dataDir, QString* error) const;
    int Station() const { return m_station; }

private:
    int m_station = -1;
    std::uint8_t m_levels = 0; // level bits seen
    std::array<std::uint8_t, 2 * kTerminalCount> m_seen{};
    TerminalTextTable m_descriptions;
    AliasTables m_aliases;
};

} // namespace qdv::sim
