#pragma once

#include <QByteArray>
#include <QList>

namespace qdv {

// The reading of comma-separated text that both imports share: spaces and line feeds are dropped
// wherever they stand and a carriage return ends a line, so only CR-ended lines are read, and a last
// line without its carriage return is not. Lines of any length are read whole.
class CommaText {
public:
    static constexpr int kMaxFields = 15;

    using Fields = QList<QByteArray>;

    // Every complete line split at its commas into at most 15 fields. An empty field after the last
    // comma is not counted, so "L1,0002," has two fields.
    static QList<Fields> Lines(const QByteArray& text);

    // The decimal number at `from` in `field` as the C library's atoi reads it: leading blanks, a sign,
    // then digits up to the first other character; 0 when there are none. Large values saturate.
    static int NumberAt(const QByteArray& field, int from);
};

} // namespace qdv
