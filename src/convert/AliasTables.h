#pragma once

#include "convert/TerminalTextTable.h"

#include <QByteArray>
#include <array>

namespace qdv {

// Alias tables 1..7 of every source and destination, one file ZEBU_ALS<k>.DAU each.
class AliasTables {
public:
    static constexpr int kTables = 7;
    static constexpr int kFileSize = 66048;

    // Table k (1..7).
    TerminalTextTable& Table(int k);
    const TerminalTextTable& Table(int k) const;

    void Clear();
    // Reads table k from the text of its file; a file of any other size is refused and leaves the
    // table as it was.
    bool LoadDau(int k, const QByteArray& fileText);
    // The text of table k's file: 32 hexadecimal characters an alias, 8 aliases a line, CR LF.
    QByteArray SaveDau(int k) const;

private:
    std::array<TerminalTextTable, kTables> m_tables;
};

} // namespace qdv
