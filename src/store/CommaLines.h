#pragma once

#include <QByteArray>
#include <QList>

namespace qdv {

// Splits the text of a small comma-separated settings file into lines of fields. A carriage return or a
// line feed ends a line (files edited on Linux carry no CR); commas end fields; blanks around a field
// are dropped, blanks inside it kept ("Control Panel" stays two words). Empty lines are left out.
// Fields are kept whole, however long: the callers decide what a field too long for its purpose means.
QList<QList<QByteArray>> ReadCommaLines(const QByteArray& text);

// The leading decimal number of a field as a C runtime's atoi reads it (optional sign, digits, the
// rest ignored); `ok` is false when the field does not begin with a digit. Values beyond the range of
// int are clamped, never overflowed.
int LeadingInteger(const QByteArray& field, bool* ok = nullptr);

} // namespace qdv
