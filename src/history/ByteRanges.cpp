#include "history/ByteRanges.h"

#include "history/ChangeText.h"

#include <QJsonArray>
#include <algorithm>

namespace qdv::history {

namespace {

QString Address(qsizetype a) {
    return QStringLiteral("0x%1").arg(a, 4, 16, QLatin1Char('0'));
}

} // namespace

std::optional<MeaningChange> ByteRanges::Describe(const QString& file, const QString& subject,
                                                  const QByteArray& oldBytes, const QByteArray& newBytes,
                                                  const std::vector<bool>* covered) {
    const qsizetype n = std::max(oldBytes.size(), newBytes.size());
    qsizetype changed = 0;
    QList<std::pair<qsizetype, qsizetype>> ranges; // first, last
    for (qsizetype i = 0; i < n; ++i) {
        if (covered && i < static_cast<qsizetype>(covered->size()) && (*covered)[static_cast<std::size_t>(i)])
            continue;
        const bool differs = i >= oldBytes.size() || i >= newBytes.size() || oldBytes[i] != newBytes[i];
        if (!differs)
            continue;
        ++changed;
        if (!ranges.isEmpty() && ranges.back().second == i - 1)
            ranges.back().second = i;
        else
            ranges.append({i, i});
    }
    if (changed == 0)
        return std::nullopt;

    QStringList shown;
    QJsonArray list;
    for (const auto& [first, last] : ranges) {
        list.append(QJsonArray{static_cast<double>(first), static_cast<double>(last)});
        if (shown.size() < kRangesShown)
            shown << (first == last ? Address(first) : Address(first) + QLatin1Char('-') + Address(last));
    }
    if (ranges.size() > kRangesShown)
        shown << QStringLiteral("...");
    QString text = QStringLiteral("%1: %2 %3 changed in %4 %5: %6")
                       .arg(subject)
                       .arg(changed)
                       .arg(changed == 1 ? QStringLiteral("byte") : QStringLiteral("bytes"))
                       .arg(ranges.size())
                       .arg(ranges.size() == 1 ? QStringLiteral("range") : QStringLiteral("ranges"),
                            shown.join(QStringLiteral(", ")));
    if (oldBytes.size() != newBytes.size())
        text += QStringLiteral(" (size %1 -> %2)").arg(oldBytes.size()).arg(newBytes.size());
    QJsonObject fields{{QStringLiteral("subject"), subject},
                       {QStringLiteral("changed"), static_cast<double>(changed)},
                       {QStringLiteral("ranges"), list},
                       {QStringLiteral("oldSize"), static_cast<double>(oldBytes.size())},
                       {QStringLiteral("newSize"), static_cast<double>(newBytes.size())}};
    return ChangeText::Make(file, QStringLiteral("bytes"), text, fields);
}

} // namespace qdv::history
