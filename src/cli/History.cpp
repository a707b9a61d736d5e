#include "cli/History.h"

#include "cli/CliContext.h"
#include "cli/HistoryOutput.h"

namespace qdv::cli {

History::History()
    : Command(
          QStringLiteral("history"),
          QStringLiteral("List the snapshots of the setup's backup folder, newest first: short id, date, job "
                         "and changed files.")) {
    AddOption({{QStringLiteral("n"), QStringLiteral("max-count")},
               QStringLiteral("Show at most N snapshots."),
               QStringLiteral("N")});
    AddOption({QStringLiteral("json"), QStringLiteral("Print the snapshots as JSON objects.")});
}

int History::Execute(CliContext& ctx, const QStringList& arguments) {
    QCommandLineParser parser;
    if (const auto done = Parse(ctx, arguments, parser))
        return *done;
    bool ok = true;
    const int max = parser.isSet(QStringLiteral("n")) ? parser.value(QStringLiteral("n")).toInt(&ok) : 0;
    if (!ok || max < 0)
        return UsageError(ctx, QStringLiteral("-n takes a number of snapshots"));
    return WithChosenSetup(ctx, [&](const SetupRecord& setup) {
        return HistoryOutput::History(setup.backupDataPath, max, parser.isSet(QStringLiteral("json")),
                                      ctx.Out(), ctx.Err());
    });
}

} // namespace qdv::cli
