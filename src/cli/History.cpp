#include "cli/History.h"

#include "cli/CliContext.h"
#include "history/BackupHistory.h"

#include <QJsonArray>
#include <QJsonObject>
#include <climits>

namespace qdv::cli {

History::History()
    : Command(
          QStringLiteral("history"),
          QStringLiteral("List the snapshots of the setup's backup folder, newest first: short id, date, job "
                         "and changed files.")) {
    AddOption({{QStringLiteral("n"), QStringLiteral("max-count")},
               QStringLiteral("Show at most N snapshots."),
               QStringLiteral("N")});
    AddJsonOption(QStringLiteral("Print the snapshots as JSON objects."));
}

int History::Execute(CliContext& ctx, const QStringList& arguments) {
    if (const auto done = Parse(ctx, arguments))
        return *done;
    const QString count = QStringLiteral("n");
    const std::optional<int> max = Parsed().isSet(count) ? Number(count, 0, INT_MAX) : 0;
    if (!max)
        return UsageError(ctx, QStringLiteral("-n takes a number of snapshots"));
    return WithChosenSetup(ctx, [&](const SetupRecord& setup) {
        std::vector<history::SnapshotInfo> log;
        QString error;
        if (!history::BackupHistory::Log(setup.backupDataPath, *max, &log, &error))
            return Failure(ctx, error);
        QJsonArray list;
        for (const history::SnapshotInfo& s : log) {
            if (Json()) {
                list.append(
                    QJsonObject{{QStringLiteral("id"), s.id},
                                {QStringLiteral("shortId"), s.shortId},
                                {QStringLiteral("time"), s.time.toString(Qt::ISODate)},
                                {QStringLiteral("job"), s.job},
                                {QStringLiteral("setup"), s.setup},
                                {QStringLiteral("changedFiles"), QJsonArray::fromStringList(s.changedFiles)},
                                {QStringLiteral("failedFiles"), QJsonArray::fromStringList(s.failedFiles)}});
                continue;
            }
            ctx.Out() << s.shortId << "  " << s.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) << "  "
                      << s.job << "  " << s.changedFiles.join(QStringLiteral(", "));
            if (!s.failedFiles.isEmpty())
                ctx.Out() << "  (failed: " << s.failedFiles.join(QStringLiteral(", ")) << ')';
            ctx.Out() << '\n';
        }
        if (Json())
            PrintJson(ctx, list);
        return int(kExitOk);
    });
}

} // namespace qdv::cli
