#include "history/CrosspointDiff.h"

#include "convert/CrosspointTable.h"
#include "history/ChangeText.h"

#include <memory>

namespace qdv::history {

void CrosspointDiff::Describe(const QString& file, const QByteArray& oldText, const QByteArray& newText,
                              const TerminalNames& oldNames, const TerminalNames& newNames,
                              MeaningChanges* out) {
    // The tables are 16 KiB each: too big for a small stack.
    const auto before = std::make_unique<CrosspointTable>();
    const auto after = std::make_unique<CrosspointTable>();
    before->LoadDau(oldText);
    after->LoadDau(newText);
    for (int dest = 1; dest <= kTerminalCount; ++dest) {
        for (int level = 1; level <= CrosspointTable::kLevels; ++level) {
            const int from = before->Source(level, dest);
            const int to = after->Source(level, dest);
            if (from == to)
                continue;
            const QJsonObject fields{{QStringLiteral("destination"), dest},
                                     {QStringLiteral("level"), level},
                                     {QStringLiteral("oldSource"), from},
                                     {QStringLiteral("newSource"), to}};
            out->append(ChangeText::Value(file, QStringLiteral("route"),
                                          QStringLiteral("destination %1 level %2").arg(dest).arg(level),
                                          oldNames.Source(from), newNames.Source(to), fields));
        }
    }
}

} // namespace qdv::history
