#pragma once

#include <QByteArray>

namespace qdv {

class CrosspointTable;

// What a crosspoint import read: the lines of a level and a destination (routed or not), and of those
// the ones that routed a source.
struct CrosspointImport {
    int cells = 0;
    int routed = 0;
};

// The comma-separated text form of the crosspoints: one line per level and destination, 8192 lines,
// "L<level>,<dest as 4 digits>,S<source>" for a routed cell and "L<level>,<dest>," for an empty one.
class CrosspointText {
public:
    static QByteArray Export(const CrosspointTable& table);

    // Reads crosspoint text into the table. Spaces are dropped and lines end in CR, LF or both (see
    // CommaText). A line sets a cell only when its level (1..8), destination (1..1024) and "S" source
    // (1..1024) are all valid; anything else, an empty source included, leaves the table unchanged, so
    // importing never clears a cell.
    static CrosspointImport Import(const QByteArray& text, CrosspointTable* table);
};

} // namespace qdv
