#include "cli/Receive.h"

#include "cli/CliContext.h"

namespace qdv::cli {

Receive::Receive()
    : JobCommand(QStringLiteral("receive"),
                 QStringLiteral("Receive data from the device into the setup's backup folder.")) {
    AddArgument(QStringLiteral("KIND"),
                QStringLiteral("description (ZEBU_NME.DAU), crosspoint (ZEBU_XPT.DAU), primary (the setup's "
                               "Primary files) or secondary (ZEBU_nnn.DAT of the checked stations)"),
                QStringLiteral("description|crosspoint|primary|secondary"));
    AddStationsOption();
}

int Receive::Execute(CliContext& ctx, const QStringList& arguments) {
    if (const auto done = Parse(ctx, arguments))
        return *done;
    const QStringList words = Words();
    if (words == QStringList{QStringLiteral("secondary")})
        return RunSecondary(ctx, Direction::Receive);
    if (StationsGiven())
        return UsageError(ctx, QStringLiteral("--stations goes with secondary"));
    SetupRecord setup;
    JobKind kind = kJobPrimary;
    if (const auto done = ChooseJob(ctx, Direction::Receive, words, &setup, &kind))
        return *done;
    return RunTransfer(ctx, setup, Direction::Receive, kind).exitCode;
}

} // namespace qdv::cli
