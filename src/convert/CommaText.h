#pragma once

#include <QByteArray>
#include <QList>

namespace qdv {

// The reading of comma-separated text that both imports share: spaces are dropped wherever they stand;
// a carriage return, a line feed or the pair of them ends a line, so files of Windows and of Linux
// spreadsheets read alike, and a last line without its line end is not read. A UTF-8 byte-order mark at
// the start is skipped. Lines of any length are read whole.
class CommaText {
public:
    static constexpr int kMaxFields = 15;

    using Fields = QList<QByteArray>;

    // Every complete line split at its commas into at most 15 fields. An empty field after the last
    // comma is not counted, so "L1,0002," has two fields.
    // Line k of the file (counted from 1) is element k - 1.
    static QList<Fields> Lines(const QByteArray& text);

    // Whether `text` is to be read as UTF-8: valid UTF-8 as a whole, with at least one character
    // outside ASCII. Raw 8-bit text with katakana practically never passes; such text is read as bytes.
    static bool IsUtf8(const QByteArray& text);

    // The decimal number at `from` in `field` as the C library's atoi reads it: leading blanks, a sign,
    // then digits up to the first other character; 0 when there are none. Large values saturate.
    static int NumberAt(const QByteArray& field, int from);
};

} // namespace qdv
