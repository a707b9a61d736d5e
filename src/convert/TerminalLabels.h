#pragma once

#include "convert/TerminalLabel.h"
#include "convert/TerminalSide.h"
#include "store/StandardSettingsLayout.h"

#include <QByteArray>
#include <array>
#include <vector>

namespace qdv {

// Type names and the labels of all sources and destinations, decoded from the image in ZEBU_STD.DAU
// (where they lie: store/StandardSettingsLayout.h). The type mode byte chooses the numbering of the
// first half's entries: packed decimal digits when 0, binary otherwise.
class TerminalLabels {
public:
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
    std::array<QByteArray, stdlayout::kTypes> m_typeNames;
    bool m_numberingFlag = false;
    std::vector<TerminalLabel> m_labels; // sources, then destinations
};

} // namespace qdv
