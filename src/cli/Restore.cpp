#include "cli/Restore.h"

#include "cli/CliContext.h"
#include "cli/FolderHold.h"
#include "cli/HistoryOutput.h"

namespace qdv::cli {

Restore::Restore()
    : Command(
          QStringLiteral("restore"),
          QStringLiteral("Write the files of an older snapshot into the backup folder (each replaced whole) "
                         "and record that as a new snapshot. Nothing is sent: run a Send job for that.")) {
    AddArgument(QStringLiteral("SNAPSHOT"),
                QStringLiteral("the snapshot to restore (id, id prefix or HEAD~n)"));
    AddOption({QStringLiteral("files"),
               QStringLiteral("Restore only these files (paths or names, comma-separated or repeated)."),
               QStringLiteral("FILES")});
    AddJsonOption(QStringLiteral("Print what was restored as a JSON object."));
    AllowMoreArguments(QStringLiteral("[FILE...]"));
}

int Restore::Execute(CliContext& ctx, const QStringList& arguments) {
    if (const auto done = Parse(ctx, arguments))
        return *done;
    QStringList words = Words();
    if (words.isEmpty())
        return UsageError(ctx, QStringLiteral("restore takes a snapshot"));
    const QString snapshot = words.takeFirst();
    // Files after --files may be listed with commas or as further words.
    QStringList files;
    for (const QString& v : Parsed().values(QStringLiteral("files")))
        files += v.split(QLatin1Char(','), Qt::SkipEmptyParts);
    if (!words.isEmpty() && !Parsed().isSet(QStringLiteral("files")))
        return UsageError(ctx, QStringLiteral("name the files to restore with --files"));
    files += words;
    return WithChosenSetup(ctx, [&](const SetupRecord& setup) {
        FolderLock folder;
        if (const int held =
                HoldFolder(ctx, setup.backupDataPath, QStringLiteral("restoring %1").arg(snapshot), folder))
            return held;
        return HistoryOutput::Restore(setup.backupDataPath, setup.name, snapshot, files, Json(), ctx.Out(),
                                      ctx.Err());
    });
}

} // namespace qdv::cli
