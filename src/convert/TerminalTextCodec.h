#pragma once

#include <QByteArray>
#include <QString>

namespace qdv {

// The controller's 8-bit character set for descriptions and aliases: ASCII 0x20..0x7E and the half-width
// katakana 0xA1..0xDF (U+FF61..U+FF9F). Cells show decoded characters and write back the same bytes.
// A byte outside the set (a control byte or one the set leaves unassigned, as a file may hold) decodes
// to a private-use character U+E000 + byte, so that it survives a round trip through a cell unchanged.
class TerminalTextCodec {
public:
    static QString Decode(const QByteArray& bytes);
    // What a cell shows: as Decode, with a byte outside the set drawn as U+FFFD.
    static QString Display(const QByteArray& bytes);
    // False, `bytes` untouched, when a character is neither in the set nor a kept byte.
    static bool Encode(const QString& text, QByteArray* bytes);
    // The first character of `text` that Encode refuses; -1 when there is none.
    static qsizetype FirstRefused(const QString& text);
    // Bytes `text` takes once encoded (one per character).
    static qsizetype ByteLength(const QString& text) { return text.size(); }

    // Text read from a UTF-8 file: ASCII stays as it stands, half-width katakana become their bytes.
    // False, `bytes` untouched and `*refused` set to its index, at the first other character.
    static bool EncodeImported(const QString& text, QByteArray* bytes, qsizetype* refused);
    // Why the character at `at` of `text` cannot be stored, in the words the editors show.
    static QString RefusalText(const QString& text, qsizetype at);

private:
    static int ByteOf(QChar c); // -1 when refused
};

} // namespace qdv
