#pragma once

#include <QByteArray>
#include <cstdint>

namespace qdv {

class AliasTables;
class TerminalTextTable;

// The walk through the name tables that a names transfer to a secondary station sends, five name blocks
// a record: the descriptions of sources 1..1024 then of destinations 1..1024 (level bit 0x01), or for
// the aliases, sources then destinations, and for each terminal alias levels 1..7 (level bits 0x02 to
// 0x80). Each payload is the record's binary data: six header bytes for the station (255 addresses all
// of them), the last payload marked as such, then its blocks.
class NameRecordWalk {
public:
    static constexpr int kBlocksPerRecord = 5;

    NameRecordWalk() = default;
    // Descriptions, one level.
    NameRecordWalk(const TerminalTextTable& descriptions, std::uint8_t station);
    // Aliases, seven levels.
    NameRecordWalk(const AliasTables& aliases, std::uint8_t station);

    int TotalBlocks() const { return m_total; }
    int BlocksDone() const { return m_next; }
    bool HasMore() const { return m_next < m_total; }
    // The next record's payload; empty when the walk is complete.
    QByteArray NextPayload();

private:
    const TerminalTextTable* m_descriptions = nullptr;
    const AliasTables* m_aliases = nullptr;
    std::uint8_t m_station = 0;
    int m_levels = 1;
    int m_total = 0;
    int m_next = 0;
};

} // namespace qdv
