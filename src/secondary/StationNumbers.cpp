#include "secondary/StationNumbers.h"

#include <QList>

#include <algorithm>

namespace qdv {

std::optional<std::vector<int>> ParseStationNumbers(QStringView text, int first, int last) {
    std::vector<int> out;
    if (text.trimmed().isEmpty())
        return std::nullopt;
    for (QStringView part : text.split(QLatin1Char(','))) {
        part = part.trimmed();
        const qsizetype dash = part.indexOf(QLatin1Char('-'), 1);
        bool okFrom = false;
        bool okTo = false;
        const int from = (dash < 0 ? part : part.first(dash)).toInt(&okFrom);
        const int to = dash < 0 ? from : part.sliced(dash + 1).toInt(&okTo);
        if (!okFrom || (dash >= 0 && !okTo) || from < first || to > last || from > to)
            return std::nullopt;
        for (int n = from; n <= to; ++n)
            out.push_back(n);
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

} // namespace qdv
