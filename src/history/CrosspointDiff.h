#pragma once

#include "history/MeaningChange.h"
#include "history/TerminalNames.h"

#include <QByteArray>

namespace qdv::history {

// Changes of the crosspoint file ZEBU_XPT.DAU: one line per level and destination whose routed source
// differs, the sources named as each state of the folder names them.
class CrosspointDiff {
public:
    static void Describe(const QString& file, const QByteArray& oldText, const QByteArray& newText,
                         const TerminalNames& oldNames, const TerminalNames& newNames, MeaningChanges* out);
};

} // namespace qdv::history
