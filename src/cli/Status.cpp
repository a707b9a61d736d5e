#include "cli/Status.h"

#include "cli/CliContext.h"
#include "history/BackupHistory.h"
#include "store/AtomicFile.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace qdv::cli {

QList<SetupHealth> AssessSetups(CliContext& ctx, const QList<int>& indexes) {
    const QDateTime now = QDateTime::currentDateTime();
    const int warnDays = ctx.File().LoadBackupWarnDays();
    const bool remote = !history::BackupHistory::Options().remote.isEmpty();
    QList<SetupHealth> setups;
    for (int i : indexes)
        setups << SetupHealth::Assess(ctx.Setups().records[i], now, warnDays, remote);
    return setups;
}

bool WriteMetricsFile(CliContext& ctx, const QString& path, const QList<SetupHealth>& setups) {
    QString error;
    if (WriteFileAtomically(path, SetupHealth::Metrics(setups), &error))
        return true;
    ctx.Err() << "qdv70cli: the metrics file was not written: " << error << '\n';
    return false;
}

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
        ctx.Out() << QJsonDocument(array).toJson(QJsonDocument::Indented);
    ctx.Out().flush();
    if (const auto metrics = MetricsFile(); metrics && !WriteMetricsFile(ctx, *metrics, setups))
        return kExitFailed;
    return allOk ? kExitOk : kExitFailed;
}

} // namespace qdv::cli
