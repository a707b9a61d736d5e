#include "convert/CrosspointText.h"

#include "convert/CommaText.h"
#include "convert/CrosspointTable.h"

namespace qdv {

QByteArray CrosspointText::Export(const CrosspointTable& table) {
    QByteArray out;
    out.reserve(CrosspointTable::kLevels * kTerminalCount * 16);
    for (int level = 1; level <= CrosspointTable::kLevels; ++level) {
        for (int dest = 1; dest <= kTerminalCount; ++dest) {
            out +=
                'L' + QByteArray::number(level) + ',' + QByteArray::number(dest).rightJustified(4, '0') + ',';
            if (const std::uint16_t s = table.Source(level, dest))
                out += 'S' + QByteArray::number(s);
            out += "\r\n";
        }
    }
    return out;
}

CrosspointImport CrosspointText::Import(const QByteArray& text, CrosspointTable* table) {
    CrosspointImport read;
    for (const CommaText::Fields& fields : CommaText::Lines(text)) {
        if (fields.size() < 2 || !fields[0].startsWith('L'))
            continue;
        const int level = CommaText::NumberAt(fields[0], 1);
        const int dest = CommaText::NumberAt(fields[1], 0);
        if (level < 1 || level > CrosspointTable::kLevels || dest < 1 || dest > kTerminalCount)
            continue;
        if (fields.size() < 3) {
            ++read.cells; // a cell without a source, as the export writes it
            continue;
        }
        if (!fields[2].startsWith('S'))
            continue;
        const int source = CommaText::NumberAt(fields[2], 1);
        if (source < 1 || source > kTerminalCount)
            continue;
        table->SetSource(level, dest, static_cast<std::uint16_t>(source));
        ++read.cells;
        ++read.routed;
    }
    return read;
}

} // namespace qdv
