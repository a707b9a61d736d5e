#include "link/NameRecordWalk.h"

#include "convert/AliasTables.h"
#include "convert/TerminalTextTable.h"
#include "link/Record.h"

#include <algorithm>

namespace qdv {

NameRecordWalk::NameRecordWalk(const TerminalTextTable& descriptions, std::uint8_t station)
    : m_descriptions(&descriptions), m_station(station), m_levels(1), m_total(2 * kTerminalCount) {}

NameRecordWalk::NameRecordWalk(const AliasTables& aliases, std::uint8_t station)
    : m_aliases(&aliases), m_station(station), m_levels(AliasTables::kTables),
      m_total(2 * kTerminalCount * AliasTables::kTables) {}

QByteArray NameRecordWalk::NextPayload() {
    if (!HasMore())
        return {};
    const int blocks = std::min(kBlocksPerRecord, m_total - m_next);
    QByteArray payload = record::NameRecordHeader(m_station, m_next + blocks == m_total);
    // Block n of the walk: terminal n / levels (sources 0..1023, then destinations), level n % levels.
    for (int i = 0; i < blocks; ++i, ++m_next) {
        const int level = m_next % m_levels;
        const int terminal = m_next / m_levels;
        const bool second = terminal >= kTerminalCount;
        const int number = terminal % kTerminalCount + 1;
        const Side side = second ? Side::Destination : Side::Source;
        const TextSlot& slot =
            m_aliases ? m_aliases->Table(level + 1).At(side, number) : m_descriptions->At(side, number);
        const auto levelBit = static_cast<std::uint8_t>(m_aliases ? 0x02 << level : 0x01);
        payload += record::NameBlock(second, levelBit, number, slot.bytes.data());
    }
    return payload;
}

} // namespace qdv
