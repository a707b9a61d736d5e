#include "cli/Send.h"

#include "cli/CliContext.h"
#include "cli/JobCommand.h"
#include "cli/StationJobs.h"
#include "link/TransferJobs.h"

namespace qdv::cli {

namespace {

const QCommandLineOption kStations(QStringLiteral("stations"),
                                   QStringLiteral("with secondary: these stations (e.g. 5,9-11) instead of "
                                                  "the checked ones"),
                                   QStringLiteral("LIST"));
const QCommandLineOption kStation(QStringLiteral("station"),
                                  QStringLiteral("with description-to-secondary or alias-to-secondary: the "
                                                 "station (2..254) to send to"),
                                  QStringLiteral("N"));
const QCommandLineOption kBroadcast(QStringLiteral("broadcast"),
                                    QStringLiteral("with description-to-secondary or alias-to-secondary: "
                                                   "send to every station"));

} // namespace

Send::Send()
    : Command(QStringLiteral("send"),
              QStringLiteral("Send data from the setup's backup folder to the device.")) {
    AddArgument(
        QStringLiteral("KIND"),
        QStringLiteral("description (ZEBU_NME.DAU), crosspoint (the compact list made from ZEBU_XPT.DAU), "
                       "primary (the setup's Primary files), secondary (ZEBU_nnn.DAT of the checked "
                       "stations), description-to-secondary (the descriptions) or alias-to-secondary (the "
                       "seven alias tables) to one secondary station or all"),
        QStringLiteral(
            "description|crosspoint|primary|secondary|description-to-secondary|alias-to-secondary"));
    AddOption(kStations);
    AddOption(kStation);
    AddOption(kBroadcast);
    AddOption(
        QCommandLineOption(QStringLiteral("verify"),
                           QStringLiteral("after a successful send, receive the same files into a temporary "
                                          "folder and compare them byte for byte; a difference fails the "
                                          "job")));
}

int Send::Execute(CliContext& ctx, const QStringList& arguments) {
    if (const auto done = Parse(ctx, arguments))
        return *done;
    const QCommandLineParser& parser = Parsed();
    const QStringList words = Words();
    const QString kind = words.value(0);
    const bool names =
        kind == QLatin1String("description-to-secondary") || kind == QLatin1String("alias-to-secondary");
    if (kind != QLatin1String("secondary") && parser.isSet(kStations))
        return UsageError(ctx, QStringLiteral("--stations goes with secondary"));
    if (!names && (parser.isSet(kStation) || parser.isSet(kBroadcast)))
        return UsageError(
            ctx, QStringLiteral("--station and --broadcast go with the names to a secondary station"));
    if (kind == QLatin1String("secondary"))
        return RunSecondary(ctx, true, parser.value(kStations));
    if (!names)
        return RunJob(ctx, true, words, parser.isSet(QStringLiteral("verify")));
    if (parser.isSet(kStation) == parser.isSet(kBroadcast))
        return UsageError(ctx, QStringLiteral("give either --station N or --broadcast"));
    bool ok = true;
    const int station = parser.isSet(kStation) ? parser.value(kStation).toInt(&ok) : 0;
    if (!ok || (parser.isSet(kStation) && (station < 2 || station > 254)))
        return UsageError(ctx, QStringLiteral("not a station 2..254: %1").arg(parser.value(kStation)));
    return RunNamesToSecondary(ctx,
                               kind == QLatin1String("description-to-secondary") ? kJobDescriptionToSecondary
                                                                                 : kJobAliasToSecondary,
                               station, parser.isSet(kBroadcast));
}

} // namespace qdv::cli
