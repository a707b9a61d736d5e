#include "cli/Restore.h"

#include "cli/CliContext.h"
#include "cli/FolderHold.h"
#include "cli/HistoryNotice.h"

#include <QJsonArray>
#include <QJsonObject>

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
        // The snapshot's files are written back into the folder; nothing is sent.
        history::RestoreResult result;
        QString error;
        if (!history::BackupHistory::Restore(setup.backupDataPath, setup.name, snapshot, files, &result,
                                             &error))
            return Failure(ctx, error);
        ReportSnapshot(result.after, ctx.Err());
        if (Json()) {
            PrintJson(ctx,
                      QJsonObject{{QStringLiteral("restored"), result.restoredId},
                                  {QStringLiteral("snapshot"), result.after.commitId},
                                  {QStringLiteral("written"), QJsonArray::fromStringList(result.written)},
                                  {QStringLiteral("removed"), QJsonArray::fromStringList(result.removed)}});
            return int(kExitOk);
        }
        QTextStream& out = ctx.Out();
        for (const QString& f : result.written)
            out << "restored " << f << '\n';
        for (const QString& f : result.removed)
            out << "removed " << f << '\n';
        out << (result.after.commitId.isEmpty()
                    ? QStringLiteral("the folder already held these files")
                    : QStringLiteral("snapshot %1 records the restore").arg(result.after.commitId.left(7)))
            << "; send the files to the device with a Send job\n";
        return int(kExitOk);
    });
}

} // namespace qdv::cli
