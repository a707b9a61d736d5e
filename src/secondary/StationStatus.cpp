#include "secondary/StationStatus.h"

#include "link/StationTables.h"

namespace qdv {

StatusCell StationStatusCell(int state, int result, StatusWords words, bool blink) {
    using namespace statuscolour;
    const bool receive = words == StatusWords::Receive;
    switch (state) {
    case StationTables::kChosen:
        return {QStringLiteral("Ready"), kGreen};
    case StationTables::kInProgress:
        return {receive ? QStringLiteral("Receiving") : QStringLiteral("Sending"), blink ? kOrange : kWhite};
    case StationTables::kDone:
        if (result == StationTables::kSuccess)
            return {QStringLiteral("OK"), kBlue};
        if (receive && result == StationTables::kNoAnswer)
            return {QStringLiteral("NG(Timeout)"), kRed};
        if (receive && result == StationTables::kAbortedByStation)
            return {QStringLiteral("NG(Disable Station)"), kRed};
        return {QStringLiteral("NG"), kRed};
    case StationTables::kCancelled:
        return {QStringLiteral("Cancel"), kRed};
    default:
        return {QString(), kBlack};
    }
}

} // namespace qdv
