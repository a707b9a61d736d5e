#pragma once

#include "convert/TerminalLabel.h"
#include "convert/TerminalSide.h"

#include <QByteArray>
#include <array>
#include <vector>

namespace qdv {

// Type names and the labels of all sources and destinations, decoded from the image in ZEBU_STD.DAU.
//
// The image is used in two halves of 8192 bytes. Each half holds 16 type names (4 bytes at 8k), 512
// source entries of 4 bytes from byte 256 and 512 destination entries of 5 bytes from byte 2304; the
// first half serves terminals 1..512, the second half 513..1024. The byte 253 of the second half
// chooses the numbering of the first half's entries: packed decimal digits when 0, binary otherwise.
class TerminalLabels {
public:
    static constexpr int kTypes = 32;
    static constexpr int kImageSize = 16384;

    TerminalLabels();

    void Clear();
    // Rebuilds the table from the text of ZEBU_STD.DAU. A short file gives what it holds; names and
    // entries the text does not reach completely stay empty.
    void Build(const QByteArray& fileText);

    // Type name of type index 0..31, up to its first NUL.
    const QByteArray& TypeName(int typeIndex) const;
    bool NumberingFlag() const { return m_numberingFlag; }
    // Label of terminal `number` (1..1024).
    const TerminalLabel& Label(Side side, int number) const;

    // Decodes the first four bytes of an entry for terminal index j (0-based).
    static TerminalLabel DecodeEntry(int j, bool numberingFlag, const unsigned char* b);

private:
    std::array<QByteArray, kTypes> m_typeNames;
    bool m_numberingFlag = false;
    std::vector<TerminalLabel> m_labels; // sources, then destinations
};

} // namespace qdv
