#include "store/CommaLines.h"

#include <algorithm>
#include <climits>

namespace qdv {

QList<QList<QByteArray>> ReadCommaLines(const QByteArray& text) {
    QList<QList<QByteArray>> lines;
    QList<QByteArray> fields;
    QByteArray field;
    bool any = false;
    auto endLine = [&] {
        if (any) {
            fields.append(field.trimmed());
            lines.append(fields);
        }
        fields.clear();
        field.clear();
        any = false;
    };
    for (const char c : text) {
        if (c == '\r' || c == '\n') {
            endLine();
        } else if (c == ',') {
            fields.append(field.trimmed());
            field.clear();
            any = true;
        } else {
            field.append(c);
            any = any || c != ' ';
        }
    }
    endLine();
    return lines;
}

int LeadingInteger(const QByteArray& field, bool* ok) {
    qsizetype i = 0;
    bool negative = false;
    if (i < field.size() && (field[i] == '-' || field[i] == '+'))
        negative = field[i++] == '-';
    long long value = 0;
    const qsizetype first = i;
    for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i)
        value = std::min<long long>(value * 10 + (field[i] - '0'), static_cast<long long>(INT_MAX) + 1);
    if (ok)
        *ok = i > first;
    if (negative)
        value = -value;
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

} // namespace qdv
