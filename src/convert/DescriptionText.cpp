#include "convert/DescriptionText.h"

#include "convert/AliasTables.h"
#include "convert/CommaText.h"
#include "convert/DescriptionTable.h"
#include "convert/TerminalLabels.h"
#include "convert/TerminalTextCodec.h"
#include "store/StandardSettingsLayout.h"

#include <algorithm>
#include <vector>

namespace qdv {

namespace {

constexpr int kDescriptionField = 3;
constexpr int kFirstAliasField = 4;

// A label as a field of the text: a type name may hold any byte, but a comma or a line end in it would
// move the fields after it, so those are written as spaces. Labels are not read back.
QByteArray LabelField(QByteArray text) {
    for (char& c : text) {
        if (c == ',' || c == '\r' || c == '\n')
            c = ' ';
    }
    return text;
}

QByteArray TypeLines(const TerminalLabels& labels) {
    QByteArray out;
    for (int t = 0; t < stdlayout::kTypes; ++t)
        out += 'T' + QByteArray::number(t + 1) + ',' + LabelField(labels.TypeName(t)) + "\r\n";
    return out;
}

QByteArray TerminalLines(Side side, const TerminalLabels& labels, const DescriptionTable& descriptions,
                         const AliasTables* aliases) {
    QByteArray out;
    const char letter = side == Side::Source ? 'S' : 'D';
    for (int n = 1; n <= kTerminalCount; ++n) {
        const TerminalLabel& label = labels.Label(side, n);
        out += letter + QByteArray::number(n) + ',' + LabelField(label.typeName) + ',' + label.numberText +
               ',' + descriptions.At(side, n).Text();
        if (aliases) {
            for (int k = 1; k <= AliasTables::kTables; ++k)
                out += ',' + aliases->Table(k).At(side, n).Text();
        }
        out += "\r\n";
    }
    return out;
}

QByteArray Form(const TerminalLabels& labels, const DescriptionTable& descriptions,
                const AliasTables* aliases) {
    return TypeLines(labels) + TerminalLines(Side::Source, labels, descriptions, aliases) +
           TerminalLines(Side::Destination, labels, descriptions, aliases);
}

} // namespace

QByteArray DescriptionText::LongForm(const TerminalLabels& labels, const DescriptionTable& descriptions,
                                     const AliasTables& aliases) {
    return Form(labels, descriptions, &aliases);
}

QByteArray DescriptionText::ShortForm(const TerminalLabels& labels, const DescriptionTable& descriptions) {
    return Form(labels, descriptions, nullptr);
}

QByteArray DescriptionText::ConverterInput(const DescriptionTable& descriptions) {
    QByteArray out;
    for (const Side side : {Side::Source, Side::Destination}) {
        const char letter = side == Side::Source ? 'S' : 'D';
        for (int n = 1; n <= kTerminalCount; ++n)
            out += letter + QByteArray::number(n) + ",,," + descriptions.At(side, n).Text() + "\r\n";
    }
    return out;
}

DescriptionImport DescriptionText::Import(const QByteArray& text, DescriptionTable* descriptions,
                                          AliasTables* aliases) {
    struct Entry {
        Side side;
        int n;
        QList<QByteArray> texts; // the description, then the aliases present
    };
    DescriptionImport result;
    const bool utf8 = CommaText::IsUtf8(text);
    const QList<CommaText::Fields> lines = CommaText::Lines(text);
    std::vector<Entry> entries;
    for (qsizetype line = 0; line < lines.size(); ++line) {
        const CommaText::Fields& fields = lines[line];
        if (fields.size() < 3 || fields[0].isEmpty())
            continue;
        const char letter = fields[0][0];
        if (letter != 'S' && letter != 'D')
            continue;
        const int n = CommaText::NumberAt(fields[0], 1);
        if (n < 1 || n > kTerminalCount)
            continue;
        Entry e{letter == 'S' ? Side::Source : Side::Destination, n, {}};
        const qsizetype end =
            std::clamp<qsizetype>(fields.size(), kFirstAliasField, kFirstAliasField + AliasTables::kTables);
        for (qsizetype f = kDescriptionField; f < end; ++f) {
            QByteArray bytes = fields.value(f);
            if (utf8) {
                const QString chars = QString::fromUtf8(bytes);
                qsizetype refused = -1;
                if (!TerminalTextCodec::EncodeImported(chars, &bytes, &refused)) {
                    result.refusal = QStringLiteral("line %1, %2 %3: %4")
                                         .arg(line + 1)
                                         .arg(e.side == Side::Source ? QStringLiteral("source")
                                                                     : QStringLiteral("destination"))
                                         .arg(n)
                                         .arg(TerminalTextCodec::RefusalText(chars, refused));
                    return result;
                }
            }
            e.texts.append(bytes);
        }
        entries.push_back(std::move(e));
    }

    std::vector<bool> named(2 * kTerminalCount);
    for (const Entry& e : entries) {
        const std::size_t at =
            static_cast<std::size_t>((e.side == Side::Source ? 0 : kTerminalCount) + e.n - 1);
        if (!named[at])
            ++(e.side == Side::Source ? result.sources : result.destinations);
        named[at] = true;
        descriptions->At(e.side, e.n).SetText(e.texts[0]);
        for (int k = 1; k < e.texts.size(); ++k)
            aliases->Table(k).At(e.side, e.n).SetText(e.texts[k]);
        result.aliasTables = std::max(result.aliasTables, static_cast<int>(e.texts.size()) - 1);
    }
    return result;
}

} // namespace qdv
