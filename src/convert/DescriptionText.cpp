#include "convert/DescriptionText.h"

#include "convert/AliasTables.h"
#include "convert/CommaText.h"
#include "convert/DescriptionTable.h"
#include "convert/TerminalLabels.h"

namespace qdv {

namespace {

constexpr int kDescriptionField = 3;
constexpr int kFirstAliasField = 4;

QByteArray TypeLines(const TerminalLabels& labels) {
    QByteArray out;
    for (int t = 0; t < TerminalLabels::kTypes; ++t)
        out += 'T' + QByteArray::number(t + 1) + ',' + labels.TypeName(t) + "\r\n";
    return out;
}

QByteArray TerminalLines(Side side, const TerminalLabels& labels, const DescriptionTable& descriptions,
                         const AliasTables* aliases) {
    QByteArray out;
    const char letter = side == Side::Source ? 'S' : 'D';
    for (int n = 1; n <= kTerminalCount; ++n) {
        const TerminalLabel& label = labels.Label(side, n);
        out += letter + QByteArray::number(n) + ',' + label.typeName + ',' + label.numberText + ',' +
               descriptions.At(side, n).Text();
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

void DescriptionText::Import(const QByteArray& text, DescriptionTable* descriptions, AliasTables* aliases) {
    for (const CommaText::Fields& fields : CommaText::Lines(text)) {
        if (fields.size() < 3 || fields[0].isEmpty())
            continue;
        const char letter = fields[0][0];
        if (letter != 'S' && letter != 'D')
            continue;
        const int n = CommaText::NumberAt(fields[0], 1);
        if (n < 1 || n > kTerminalCount)
            continue;
        const Side side = letter == 'S' ? Side::Source : Side::Destination;
        descriptions->At(side, n).SetText(fields.value(kDescriptionField));
        for (int k = 1; k <= AliasTables::kTables; ++k) {
            const int f = kFirstAliasField + k - 1;
            if (f < fields.size())
                aliases->Table(k).At(side, n).SetText(fields[f]);
        }
    }
}

} // namespace qdv
