#pragma once

#include <QString>
#include <optional>
#include <vector>

namespace qdv {

// Station numbers as an operator writes them on a command line: "5,9-11" is 5, 9, 10 and 11. Every
// number must lie in first..last; the result is sorted, without repeats. Nothing for a malformed text.
std::optional<std::vector<int>> ParseStationNumbers(QStringView text, int first, int last);

} // namespace qdv
