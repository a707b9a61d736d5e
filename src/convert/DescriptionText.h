#pragma once

#include <QByteArray>
#include <QString>

namespace qdv {

class AliasTables;
class DescriptionTable;
class TerminalLabels;

// What an import read: the terminals its lines named, the alias columns they carried, or why it was
// refused (then nothing was changed).
struct DescriptionImport {
    int sources = 0;      // distinct sources named by a line
    int destinations = 0; // distinct destinations named by a line
    int aliasTables = 0;  // alias columns (1..7) present in at least one of those lines
    QString refusal;

    int Terminals() const { return sources + destinations; }
};

// The comma-separated text forms of the descriptions and aliases.
//
// Both forms begin with 32 lines "T<type>,<name>" and then have one line per source ("S<n>,...") and
// per destination ("D<n>,..."): number, label type name, label number text, description; the long form
// adds aliases 1..7. Texts are written as they stand up to their first NUL byte, except that a comma or a
// line end in a type name is written as a space; lines end in CR LF.
class DescriptionText {
public:
    // The long form, the one operators exchange with spreadsheets.
    static QByteArray LongForm(const TerminalLabels& labels, const DescriptionTable& descriptions,
                               const AliasTables& aliases);
    // The short form without aliases, the input of the description converter.
    static QByteArray ShortForm(const TerminalLabels& labels, const DescriptionTable& descriptions);

    // The text the description converter is given: the S and D lines of the short form with empty label
    // fields, so that no label (a type name may hold any byte) can make a line unreadable or move its
    // description. What the converter writes does not depend on the labels.
    static QByteArray ConverterInput(const DescriptionTable& descriptions);

    // Reads either form into the tables. Spaces are dropped and lines end in CR, LF or both (see
    // CommaText); from an "S<n>" or "D<n>" line with at least three fields, the fourth field (empty when
    // absent) becomes the description and fields 5..11, as far as present, aliases 1..7. Type and label
    // fields are ignored; texts longer than 16 bytes are cut to 16. A text that CommaText::IsUtf8 finds
    // to be UTF-8 is converted to the controller's 8-bit characters, and a character without one refuses
    // the whole text, naming the line and the terminal; other text is taken byte for byte.
    static DescriptionImport Import(const QByteArray& text, DescriptionTable* descriptions,
                                    AliasTables* aliases);
};

} // namespace qdv
