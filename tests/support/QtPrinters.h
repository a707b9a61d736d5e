#pragma once

#include <QString>
#include <QStringList>

#include <ostream>

// Readable failure messages for Qt's texts in GoogleTest's output.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

inline void PrintTo(const QStringList& l, std::ostream* os) {
    *os << '[';
    for (qsizetype i = 0; i < l.size(); ++i)
        *os << (i > 0 ? ", \"" : "\"") << l[i].toStdString() << '"';
    *os << ']';
}
