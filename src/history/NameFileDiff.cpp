#include "history/NameFileDiff.h"

#include "convert/AliasTables.h"
#include "convert/DescriptionTable.h"
#include "history/ByteRanges.h"
#include "history/ChangeText.h"
#include "store/DataImage.h"

#include <vector>

namespace qdv::history {

namespace {

constexpr int kAliasImageSize = 32768;

bool LoadTable(int alias, const QByteArray& text, TerminalTextTable* table) {
    if (alias == 0) {
        DescriptionTable descriptions;
        if (!descriptions.LoadDau(text))
            return false;
        *table = descriptions;
        return true;
    }
    AliasTables aliases;
    if (!aliases.LoadDau(alias, text))
        return false;
    *table = aliases.Table(alias);
    return true;
}

} // namespace

bool NameFileDiff::Describe(const QString& file, int alias, const QByteArray& oldText,
                            const QByteArray& newText, MeaningChanges* out) {
    TerminalTextTable oldTable;
    TerminalTextTable newTable;
    if (!LoadTable(alias, oldText, &oldTable) || !LoadTable(alias, newText, &newTable))
        return false;
    const QString what = alias == 0 ? QStringLiteral("description") : QStringLiteral("alias %1").arg(alias);
    for (const Side side : {Side::Source, Side::Destination}) {
        for (int n = 1; n <= kTerminalCount; ++n) {
            const TextSlot& before = oldTable.At(side, n);
            const TextSlot& after = newTable.At(side, n);
            if (before == after)
                continue;
            const bool destination = side == Side::Destination;
            QJsonObject fields{{QStringLiteral("side"), ChangeText::SideWord(destination)},
                               {QStringLiteral("number"), n}};
            if (alias != 0)
                fields.insert(QStringLiteral("alias"), alias);
            out->append(ChangeText::Value(
                file, alias == 0 ? QStringLiteral("description") : QStringLiteral("alias"),
                QStringLiteral("%1 %2 %3").arg(ChangeText::SideWord(destination)).arg(n).arg(what),
                ChangeText::Quoted(before.Text()), ChangeText::Quoted(after.Text()), fields));
        }
    }
    const int imageSize = alias == 0 ? DescriptionTable::kNmeImageSize : kAliasImageSize;
    std::vector<bool> covered(static_cast<std::size_t>(imageSize), false);
    std::fill_n(covered.begin(), TerminalTextTable::kImageSize, true);
    if (auto rest = ByteRanges::Describe(file, file + QStringLiteral(" other bytes"),
                                         image::Decode(oldText, imageSize), image::Decode(newText, imageSize),
                                         &covered))
        out->append(*rest);
    return true;
}

} // namespace qdv::history
