#include "cli/Diff.h"

#include "cli/CliContext.h"
#include "cli/HistoryOutput.h"

namespace qdv::cli {

Diff::Diff()
    : Command(
          QStringLiteral("diff"),
          QStringLiteral("Show what changed between two snapshots, one line per description, alias, route, "
                         "label or setting (by default the last two snapshots).")) {
    AddOptionalArgument(QStringLiteral("OLD"),
                        QStringLiteral("the older snapshot (id, id prefix or HEAD~n)"));
    AddOptionalArgument(QStringLiteral("NEW"),
                        QStringLiteral("the newer snapshot, or \"working\" for the folder as it is now; the "
                                       "last snapshot when left out"));
    AddJsonOption(QStringLiteral("Print the changes as JSON objects."));
}

int Diff::Execute(CliContext& ctx, const QStringList& arguments) {
    if (const auto done = Parse(ctx, arguments))
        return *done;
    const QStringList words = Words();
    return WithChosenSetup(ctx, [&](const SetupRecord& setup) {
        return HistoryOutput::Diff(setup.backupDataPath, words.value(0), words.value(1), Json(), ctx.Out(),
                                   ctx.Err());
    });
}

} // namespace qdv::cli
