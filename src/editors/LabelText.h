#pragma once

#include "convert/TerminalLabel.h"

#include <QByteArray>

namespace qdv {

// The Type+Num text of a terminal: its type name followed by its number text, "000" standing in for a
// missing number text; empty when the label is.
inline QByteArray LabelText(const TerminalLabel& label) {
    if (label.numberText.isEmpty())
        return label.typeName.isEmpty() ? QByteArray() : label.typeName + "000";
    return label.typeName + label.numberText;
}

} // namespace qdv
