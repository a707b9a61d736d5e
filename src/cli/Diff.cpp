#include "cli/Diff.h"

#include "cli/CliContext.h"
#include "history/BackupHistory.h"

#include <QJsonArray>
#include <QJsonObject>

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
        history::HistoryDiff diff;
        QString error;
        if (!history::BackupHistory::Diff(setup.backupDataPath, words.value(0), words.value(1), &diff,
                                          &error))
            return Failure(ctx, error);
        if (Json()) {
            QJsonArray changes;
            for (const history::MeaningChange& c : diff.changes)
                changes.append(c.details);
            PrintJson(ctx, QJsonObject{{QStringLiteral("old"), diff.oldId},
                                       {QStringLiteral("new"),
                                        diff.newId.isEmpty() ? QStringLiteral("working") : diff.newId},
                                       {QStringLiteral("changes"), changes}});
            return int(kExitOk);
        }
        // The changes by meaning, under the name of their file.
        QString file;
        for (const history::MeaningChange& c : diff.changes) {
            if (c.file != file) {
                file = c.file;
                ctx.Out() << file << ":\n";
            }
            ctx.Out() << "  " << c.text << '\n';
        }
        return int(kExitOk);
    });
}

} // namespace qdv::cli
