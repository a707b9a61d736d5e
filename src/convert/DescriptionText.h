#pragma once

#include <QByteArray>

namespace qdv {

class AliasTables;
class DescriptionTable;
class TerminalLabels;

// The comma-separated text forms of the descriptions and aliases.
//
// Both forms begin with 32 lines "T<type>,<name>" and then have one line per source ("S<n>,...") and
// per destination ("D<n>,..."): number, label type name, label number text, description; the long form
// adds aliases 1..7. Texts are written as they stand up to their first NUL byte; lines end in CR LF.
class DescriptionText {
public:
    // The long form, the one operators exchange with spreadsheets.
    static QByteArray LongForm(const TerminalLabels& labels, const DescriptionTable& descriptions,
                               const AliasTables& aliases);
    // The short form without aliases, the input of the description converter.
    static QByteArray ShortForm(const TerminalLabels& labels, const DescriptionTable& descriptions);

    // Reads either form into the tables. Spaces and line feeds are dropped, only CR-ended lines count;
    // from an "S<n>" or "D<n>" line with at least three fields, the fourth field (empty when absent)
    // becomes the description and fields 5..11, as far as present, aliases 1..7. Type and label
    // fields are ignored; texts longer than 16 bytes are cut to 16.
    static void Import(const QByteArray& text, DescriptionTable* descriptions, AliasTables* aliases);
};

} // namespace qdv
