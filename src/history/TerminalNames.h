#pragma once

#include "convert/DescriptionTable.h"
#include "convert/TerminalLabels.h"

#include <QString>

namespace qdv::history {

// What a source is called in one state of a backup folder, for the route lines: its description, else
// its label, else nothing.
class TerminalNames {
public:
    // `stdText`, `nmeText`: ZEBU_STD.DAU and ZEBU_NME.DAU of that state (empty when missing).
    void Load(const QByteArray& stdText, const QByteArray& nmeText);
    // "source 7 (VTR 2)", "source 7" without a name, "no source" for 0.
    QString Source(int source) const;

private:
    TerminalLabels m_labels;
    DescriptionTable m_descriptions;
};

} // namespace qdv::history
