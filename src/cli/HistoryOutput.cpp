#include "cli/HistoryOutput.h"

#include "cli/CliContext.h"
#include "cli/HistoryNotice.h"
#include "history/BackupHistory.h"
#include "history/FolderVerifier.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace qdv::cli {

namespace {

void PrintJson(QTextStream& out, const QJsonValue& value) {
    out << (value.isArray() ? QJsonDocument(value.toArray()) : QJsonDocument(value.toObject())).toJson();
}

int Failed(QTextStream& err, const QString& error) {
    err << "qdv70cli: " << error << '\n';
    return kExitFailed;
}

QString Time(const QDateTime& t) {
    return t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

} // namespace

int HistoryOutput::History(const QString& folder, int max, bool json, QTextStream& out, QTextStream& err) {
    std::vector<history::SnapshotInfo> log;
    QString error;
    if (!history::BackupHistory::Log(folder, max, &log, &error))
        return Failed(err, error);
    QJsonArray list;
    for (const history::SnapshotInfo& s : log) {
        if (json) {
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
        out << s.shortId << "  " << Time(s.time) << "  " << s.job << "  "
            << s.changedFiles.join(QStringLiteral(", "));
        if (!s.failedFiles.isEmpty())
            out << "  (failed: " << s.failedFiles.join(QStringLiteral(", ")) << ')';
        out << '\n';
    }
    if (json)
        PrintJson(out, list);
    return kExitOk;
}

int HistoryOutput::Diff(const QString& folder, const QString& oldRevision, const QString& newRevision,
                        bool json, QTextStream& out, QTextStream& err) {
    history::HistoryDiff diff;
    QString error;
    if (!history::BackupHistory::Diff(folder, oldRevision, newRevision, &diff, &error))
        return Failed(err, error);
    if (json) {
        QJsonArray changes;
        for (const history::MeaningChange& c : diff.changes)
            changes.append(c.details);
        PrintJson(out, QJsonObject{{QStringLiteral("old"), diff.oldId},
                                   {QStringLiteral("new"),
                                    diff.newId.isEmpty() ? QStringLiteral("working") : diff.newId},
                                   {QStringLiteral("changes"), changes}});
        return kExitOk;
    }
    QString file;
    for (const history::MeaningChange& c : diff.changes) {
        if (c.file != file) {
            file = c.file;
            out << file << ":\n";
        }
        out << "  " << c.text << '\n';
    }
    return kExitOk;
}

int HistoryOutput::Restore(const QString& folder, const QString& setupName, const QString& revision,
                           const QStringList& files, bool json, QTextStream& out, QTextStream& err) {
    history::RestoreResult result;
    QString error;
    if (!history::BackupHistory::Restore(folder, setupName, revision, files, &result, &error))
        return Failed(err, error);
    ReportSnapshot(result.after, err);
    if (json) {
        PrintJson(out, QJsonObject{{QStringLiteral("restored"), result.restoredId},
                                   {QStringLiteral("snapshot"), result.after.commitId},
                                   {QStringLiteral("written"), QJsonArray::fromStringList(result.written)},
                                   {QStringLiteral("removed"), QJsonArray::fromStringList(result.removed)}});
        return kExitOk;
    }
    for (const QString& f : result.written)
        out << "restored " << f << '\n';
    for (const QString& f : result.removed)
        out << "removed " << f << '\n';
    out << (result.after.commitId.isEmpty()
                ? QStringLiteral("the folder already held these files")
                : QStringLiteral("snapshot %1 records the restore").arg(result.after.commitId.left(7)))
        << "; send the files to the device with a Send job\n";
    return kExitOk;
}

int HistoryOutput::Verify(const QString& folder, bool json, QTextStream& out, QTextStream&) {
    const QList<history::FolderProblem> problems = history::FolderVerifier::Verify(folder);
    if (json) {
        static const char* const kKinds[] = {"changed-outside", "missing", "untracked", "wrong-size",
                                             "no-history"};
        QJsonArray list;
        for (const history::FolderProblem& p : problems)
            list.append(QJsonObject{{QStringLiteral("kind"), QLatin1String(kKinds[static_cast<int>(p.kind)])},
                                    {QStringLiteral("path"), p.path},
                                    {QStringLiteral("text"), p.text}});
        PrintJson(out, QJsonObject{{QStringLiteral("clean"), problems.isEmpty()},
                                   {QStringLiteral("problems"), list}});
    } else {
        for (const history::FolderProblem& p : problems)
            out << p.text << '\n';
        if (problems.isEmpty())
            out << "clean: every data file matches the last snapshot and has its size\n";
    }
    return problems.isEmpty() ? kExitOk : kExitFailed;
}

} // namespace qdv::cli
