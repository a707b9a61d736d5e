#include "cli/Status.h"

#include "app/SetupHealth.h"
#include "cli/CliContext.h"

#include <QJsonArray>

namespace qdv::cli {

Status::Status()
    : Command(
          QStringLiteral("status"),
          QStringLiteral("Say for each setup whether its backups are current, complete and safely stored: "
                         "last good backup of each kind, the last job's result, missing files, verify, "
                         "history and pushes owed, and a verdict ok, stale, failing or unverified. Exit 0 "
                         "when every setup shown is ok, 1 otherwise.")) {
    AddSetupChoice(QStringLiteral("show"));
    AddJsonOption(QStringLiteral("print a JSON array, one object a setup"));
    AddMetricsOption(QStringLiteral("also write the figures to FILE in the Prometheus text format, replacing "
                                    "it atomically"));
}

int Status::Execute(CliContext& ctx, const QStringList& arguments) {
    if (const auto done = Parse(ctx, arguments))
        return *done;
    QList<int> chosen;
    if (const auto done = ChooseSetups(ctx, &chosen))
        return *done;

    const QList<SetupHealth> setups = AssessSetups(ctx, chosen);
    const QDateTime now = QDateTime::currentDateTime();
    bool allOk = true;
    QJsonArray array;
    for (const SetupHealth& h : setups) {
        allOk = allOk && h.Ok();
        if (Json())
            array.append(h.ToJson(now));
        else
            ctx.Out() << h.TextLine(now) << '\n';
    }
    if (Json())
        PrintJson(ctx, array);
    ctx.Out().flush();
    if (!WriteMetrics(ctx, setups))
        return kExitFailed;
    return allOk ? kExitOk : kExitFailed;
}

} // namespace qdv::cli
