#include "convert/CommaText.h"

#include <QStringDecoder>
#include <algorithm>

namespace qdv {

namespace {

const QByteArray kUtf8Mark("\xEF\xBB\xBF");

CommaText::Fields SplitFields(const QByteArray& line) {
    CommaText::Fields fields;
    qsizetype start = 0;
    while (fields.size() < CommaText::kMaxFields) {
        const qsizetype comma = line.indexOf(',', start);
        if (comma < 0) {
            if (start < line.size() || fields.isEmpty())
                fields.append(line.mid(start));
            break;
        }
        fields.append(line.mid(start, comma - start));
        start = comma + 1;
    }
    return fields;
}

} // namespace

QList<CommaText::Fields> CommaText::Lines(const QByteArray& text) {
    QList<Fields> lines;
    QByteArray line;
    const qsizetype start = text.startsWith(kUtf8Mark) ? kUtf8Mark.size() : 0;
    for (qsizetype i = start; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ' ')
            continue;
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            lines.append(SplitFields(line));
            line.clear();
            continue;
        }
        line.append(c);
    }
    return lines;
}

bool CommaText::IsUtf8(const QByteArray& text) {
    bool ascii = true;
    for (const char c : text)
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii)
        return false;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8.decode(text);
    return !utf8.hasError();
}

int CommaText::NumberAt(const QByteArray& field, int from) {
    constexpr long long kLimit = 1000000000;
    qsizetype i = from;
    while (i < field.size() && (field[i] == '\t' || field[i] == '\v' || field[i] == '\f'))
        ++i;
    bool negative = false;
    if (i < field.size() && (field[i] == '+' || field[i] == '-'))
        negative = field[i++] == '-';
    long long v = 0;
    for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i)
        v = std::min(v * 10 + (field[i] - '0'), kLimit);
    return static_cast<int>(negative ? -v : v);
}

} // namespace qdv
