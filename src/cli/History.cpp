#include "cli/History.h"

#include "cli/CliContext.h"
#include "cli/HistoryOutput.h"

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
        return HistoryOutput::History(setup.backupDataPath, *max, Json(), ctx.Out(), ctx.Err());
    });
}

} // namespace qdv::cli
