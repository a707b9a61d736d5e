#include "cli/Receive.h"

#include "cli/CliContext.h"
#include "cli/JobCommand.h"
#include "cli/StationJobs.h"

namespace qdv::cli {

namespace {

const QCommandLineOption kStations(QStringLiteral("stations"),
                                   QStringLiteral("with secondary: these stations (e.g. 5,9-11) instead of "
                                                  "the checked ones"),
                                   QStringLiteral("LIST"));

} // namespace

Receive::Receive()
    : Command(QStringLiteral("receive"),
              QStringLiteral("Receive data from the device into the setup's backup folder.")) {
    AddArgument(QStringLiteral("KIND"),
                QStringLiteral("description (ZEBU_NME.DAU), crosspoint (ZEBU_XPT.DAU), primary (the setup's "
                               "Primary files) or secondary (ZEBU_nnn.DAT of the checked stations)"),
                QStringLiteral("description|crosspoint|primary|secondary"));
    AddOption(kStations);
}

int Receive::Execute(CliContext& ctx, const QStringList& arguments) {
    if (const auto done = Parse(ctx, arguments))
        return *done;
    const QStringList words = Words();
    if (words == QStringList{QStringLiteral("secondary")})
        return RunSecondary(ctx, false, Parsed().value(kStations));
    if (Parsed().isSet(kStations))
        return UsageError(ctx, QStringLiteral("--stations goes with secondary"));
    return RunJob(ctx, false, words);
}

} // namespace qdv::cli
