#pragma once

#include "convert/TerminalTextTable.h"

#include <QByteArray>

namespace qdv {

// The description of every source and destination, as ZEBU_NME.DAU holds them.
class DescriptionTable : public TerminalTextTable {
public:
    static constexpr int kFileSize = 71742; // ZEBU_NME.DAU
    static constexpr int kNmeImageSize = 35592;

    // Reads the descriptions from the text of ZEBU_NME.DAU. A file of any other size is refused and
    // leaves the table as it was.
    bool LoadDau(const QByteArray& fileText);
};

} // namespace qdv
