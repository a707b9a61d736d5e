#include "cli/StationsCheck.h"

#include "cli/StationJobs.h"

namespace qdv::cli {

StationsCheck::StationsCheck(bool check)
    : Command(check ? QStringLiteral("check") : QStringLiteral("uncheck"),
              check
                  ? QStringLiteral("Check stations and save the list: all (the station bitmap of the stored "
                                   "ZEBU_STD.DAU), device (its device list), clear (none), or stations.")
                  : QStringLiteral("Uncheck stations and save the list.")),
      m_check(check) {
    AddArgument(QStringLiteral("STATIONS"), QStringLiteral("stations such as 5,9-11"),
                check ? QStringLiteral("all|device|clear|STATIONS") : QStringLiteral("STATIONS"));
}

int StationsCheck::Execute(CliContext& ctx, const QStringList& arguments) {
    if (const auto done = Parse(ctx, arguments))
        return *done;
    const QStringList words = Words();
    if (words.size() != 1)
        return UsageError(ctx, QStringLiteral("give one list of stations"));
    return CheckStations(ctx, m_check, words.front());
}

} // namespace qdv::cli
