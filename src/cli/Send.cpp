#include "cli/Send.h"

#include "app/SendVerification.h"
#include "cli/CliContext.h"
#include "cli/EngineSession.h"
#include "cli/FolderHold.h"
#include "convert/TmTableRemote.h"
#include "link/TransferJobs.h"
#include "secondary/NamesToSecondaryModel.h"

#include <QTemporaryDir>

namespace qdv::cli {

namespace {

const QCommandLineOption kStation(QStringLiteral("station"),
                                  QStringLiteral("with description-to-secondary or alias-to-secondary: the "
                                                 "station (2..254) to send to"),
                                  QStringLiteral("N"));
const QCommandLineOption kBroadcast(QStringLiteral("broadcast"),
                                    QStringLiteral("with description-to-secondary or alias-to-secondary: "
                                                   "send to every station"));

} // namespace

Send::Send()
    : JobCommand(QStringLiteral("send"),
                 QStringLiteral("Send data from the setup's backup folder to the device.")) {
    AddArgument(
        QStringLiteral("KIND"),
        QStringLiteral("description (ZEBU_NME.DAU), crosspoint (the compact list made from ZEBU_XPT.DAU), "
                       "primary (the setup's Primary files), secondary (ZEBU_nnn.DAT of the checked "
                       "stations), description-to-secondary (the descriptions) or alias-to-secondary (the "
                       "seven alias tables) to one secondary station or all"),
        QStringLiteral(
            "description|crosspoint|primary|secondary|description-to-secondary|alias-to-secondary"));
    AddStationsOption();
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
    if (kind != QLatin1String("secondary") && StationsGiven())
        return UsageError(ctx, QStringLiteral("--stations goes with secondary"));
    if (!names && (parser.isSet(kStation) || parser.isSet(kBroadcast)))
        return UsageError(
            ctx, QStringLiteral("--station and --broadcast go with the names to a secondary station"));
    if (kind == QLatin1String("secondary"))
        return RunSecondary(ctx, Direction::Send);
    if (!names)
        return SendKind(ctx, words, parser.isSet(QStringLiteral("verify")));
    if (parser.isSet(kStation) == parser.isSet(kBroadcast))
        return UsageError(ctx, QStringLiteral("give either --station N or --broadcast"));
    bool ok = true;
    const int station = parser.isSet(kStation) ? parser.value(kStation).toInt(&ok) : 0;
    if (!ok || (parser.isSet(kStation) && (station < 2 || station > 254)))
        return UsageError(ctx, QStringLiteral("not a station 2..254: %1").arg(parser.value(kStation)));
    return SendNames(ctx,
                     kind == QLatin1String("description-to-secondary") ? kJobDescriptionToSecondary
                                                                       : kJobAliasToSecondary,
                     station, parser.isSet(kBroadcast));
}

int Send::SendKind(CliContext& ctx, const QStringList& words, bool verify) const {
    SetupRecord setup;
    JobKind kind = kJobPrimary;
    if (const auto done = ChooseJob(ctx, Direction::Send, words, &setup, &kind))
        return *done;
    const JobOutcome outcome = RunTransfer(ctx, setup, Direction::Send, kind);
    if (!verify || outcome.exitCode != kExitOk)
        return outcome.exitCode;
    QTextStream& err = ctx.Err();
    QTemporaryDir folder;
    if (!folder.isValid()) {
        err << "qdv70cli: verify: no temporary folder: " << folder.errorString() << '\n';
        return kExitFailed;
    }
    // The same job in the other direction, into a folder of its own: the stored backup stays as it is.
    err << "verify: reading back\n";
    const JobOutcome back = RunTransfer(ctx, SendVerification::ReadBackSetup(setup, folder.path()),
                                        Direction::Receive, kind, false);
    if (back.exitCode != kExitOk) {
        err << "qdv70cli: verify: the read-back failed; the send is not verified\n";
        return back.exitCode;
    }
    TmTableRemote resolver;
    const std::vector<SendVerification::FileCheck> checks =
        SendVerification::Compare(resolver, setup, kind, folder.path());
    for (const SendVerification::FileCheck& c : checks)
        err << "  " << c.Text() << '\n';
    const int differing = SendVerification::Differing(checks);
    if (differing == 0)
        return kExitOk;
    err << "qdv70cli: verify: " << differing << (differing == 1 ? " file differs" : " files differ")
        << " from what was sent\n";
    return kExitFailed;
}

int Send::SendNames(CliContext& ctx, JobKind kind, int station, bool broadcast) const {
    const SetupRecord* setup = ChosenSetup(ctx);
    if (!setup)
        return kExitUsage;
    FolderLock folder;
    if (const int held =
            HoldFolder(ctx, setup->backupDataPath, QStringLiteral("sending ") + JobKindName(kind), folder))
        return held;
    EngineSession session(ctx, *setup);
    NamesToSecondaryModel core(session.Services(), kind);
    core.Show();
    core.SetBroadcast(broadcast);
    if (!broadcast)
        core.SetTarget(station);
    return session.RunStationJob(core, [&] { return core.Start(); });
}

} // namespace qdv::cli
