#pragma once

#include <QByteArray>

namespace qdv {

// The label of one source or destination, decoded from its entry in ZEBU_STD.DAU.
struct TerminalLabel {
    int typeIndex = 0;    // 0..31, into the 32 type names
    int number = 0;       // the terminal's number within its type
    int secondNumber = 0; // 0..4095; shown for a source that has neither description nor label
    QByteArray typeName;  // empty for an empty label
    QByteArray numberText;

    bool IsEmpty() const { return typeName.isEmpty() && numberText.isEmpty(); }
    bool operator==(const TerminalLabel&) const = default;
};

} // namespace qdv
