#include "cli/Backup.h"

#include "cli/CliContext.h"
#include "cli/JobCommand.h"
#include "link/TransferJobs.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace qdv::cli {

namespace {

// Primary first: it is the one a plant cannot do without.
constexpr int kBackupKinds[] = {kJobPrimary, kJobDescription, kJobCrosspoint};
// The places of the Receive buttons of those kinds in a setup's receiveButtons.
int ButtonBitOf(int kind) {
    return kind == kJobDescription ? 1 : kind == kJobCrosspoint ? 2 : 4;
}

struct Entry {
    QString setup;
    QString kind;
    bool ok = false;
    QString error;
    QStringList missing;
};

// Every file the job did not store: those that failed or were skipped, and those the report lists.
QStringList MissingFiles(const JobOutcome& outcome) {
    QStringList missing;
    for (const FileResult& f : outcome.files) {
        if (f.code != 0)
            missing << QFileInfo(f.path).fileName();
    }
    for (const QString& f : outcome.report.missing) {
        if (!missing.contains(f))
            missing << f;
    }
    return missing;
}

// The kinds a setup is backed up with when --kinds does not say: the Receive buttons it offers.
QList<int> OfferedKinds(const SetupRecord& setup) {
    QList<int> kinds;
    if (!setup.receiveAll)
        return kinds;
    for (int kind : kBackupKinds) {
        if (!(setup.receiveButtons & ButtonBitOf(kind)))
            continue;
        if (kind == kJobPrimary && setup.primaryBackupFiles == 0)
            continue;
        kinds << kind;
    }
    return kinds;
}

QJsonArray ToJson(const QList<Entry>& entries) {
    QJsonArray array;
    for (const Entry& e : entries) {
        array.append(QJsonObject{{"setup", e.setup},
                                 {"kind", e.kind},
                                 {"ok", e.ok},
                                 {"error", e.ok ? QJsonValue() : QJsonValue(e.error)},
                                 {"missing", QJsonArray::fromStringList(e.missing)}});
    }
    return array;
}

QString SummaryLine(const Entry& e) {
    QString line = e.setup + '\t' + e.kind + '\t' + (e.ok ? QStringLiteral("OK") : QStringLiteral("FAILED"));
    if (!e.ok)
        line += '\t' + e.error;
    if (!e.missing.isEmpty())
        line += QStringLiteral("\tmissing: ") + e.missing.join(QStringLiteral(", "));
    return line;
}

} // namespace

Backup::Backup()
    : Command(
          QStringLiteral("backup"),
          QStringLiteral("Receive the data of one or more setups into their backup folders, one job after "
                         "the other, and print a summary.")) {
    AddOption(QCommandLineOption(QStringLiteral("setup"),
                                 QStringLiteral("a setup to back up, by name or number (may be repeated); "
                                                "without it and --all-setups: the setup of the global "
                                                "--setup, else the selected one"),
                                 QStringLiteral("NAME|NUMBER")));
    AddOption(QCommandLineOption(QStringLiteral("all-setups"), QStringLiteral("back up every setup")));
    AddOption(QCommandLineOption(QStringLiteral("kinds"),
                                 QStringLiteral("what to receive, comma-separated: primary, description, "
                                                "crosspoint (default: the Receive buttons the setup offers)"),
                                 QStringLiteral("KIND,...")));
    AddOption(QCommandLineOption(QStringLiteral("json"),
                                 QStringLiteral("write only the summary on standard output, as JSON")));
}

int Backup::Execute(CliContext& ctx, const QStringList& arguments) {
    QCommandLineParser parser;
    if (const auto done = Parse(ctx, arguments, parser))
        return *done;
    if (!parser.positionalArguments().isEmpty())
        return UsageError(ctx,
                          QStringLiteral("unexpected argument: ") + parser.positionalArguments().front());

    QList<int> kinds;
    if (parser.isSet(QStringLiteral("kinds"))) {
        for (const QString& word : parser.value(QStringLiteral("kinds")).split(',', Qt::SkipEmptyParts)) {
            const int kind = JobKindOfWord(word.trimmed());
            if (word.trimmed() == QLatin1String("secondary"))
                return UsageError(ctx, QStringLiteral("secondary stations are backed up from the desktop "
                                                      "program; the command-line tool cannot choose them"));
            if (kind < 0)
                return UsageError(ctx, QStringLiteral("unknown kind: ") + word);
            if (!kinds.contains(kind))
                kinds << kind;
        }
        if (kinds.isEmpty())
            return UsageError(ctx, QStringLiteral("--kinds names no kind"));
    }

    const SetupTable& table = ctx.Setups();
    QList<int> chosen;
    const QStringList names = parser.values(QStringLiteral("setup"));
    if (parser.isSet(QStringLiteral("all-setups"))) {
        if (!names.isEmpty())
            return UsageError(ctx, QStringLiteral("--setup and --all-setups exclude each other"));
        for (int i = 0; i < table.count; ++i)
            chosen << i;
        if (chosen.isEmpty())
            return UsageError(ctx, QStringLiteral("no setups"));
    } else {
        QString error;
        for (const QString& name : names) {
            const int i = ctx.SetupIndexOf(name, &error);
            if (i < 0)
                return UsageError(ctx, error);
            if (!chosen.contains(i))
                chosen << i;
        }
        if (names.isEmpty()) {
            const int i = ctx.ChosenSetupIndex(&error);
            if (i < 0)
                return UsageError(ctx, error);
            chosen << i;
        }
    }

    QList<Entry> entries;
    bool interrupted = false;
    bool nothingToDo = false;
    for (int i : chosen) {
        const SetupRecord setup = table.records[i];
        const QList<int> setupKinds = kinds.isEmpty() ? OfferedKinds(setup) : kinds;
        nothingToDo = nothingToDo || setupKinds.isEmpty();
        if (setupKinds.isEmpty())
            ctx.Err() << "qdv70cli: " << setup.name
                      << ": the setup offers no Receive jobs; nothing backed up\n";
        for (int kind : setupKinds) {
            Entry e;
            e.setup = setup.name;
            e.kind = WordOfJobKind(kind);
            if (interrupted) {
                e.error = QStringLiteral("not run: interrupted");
            } else if (kind == kJobPrimary && setup.primaryBackupFiles == 0) {
                e.error = QStringLiteral("the setup selects no Primary files");
            } else {
                const JobOutcome outcome = RunOneJob(ctx, setup, false, kind);
                interrupted = outcome.exitCode == kExitAborted;
                e.ok = outcome.exitCode == kExitOk;
                e.error = outcome.error;
                e.missing = MissingFiles(outcome);
            }
            entries << e;
        }
    }

    bool allOk = !nothingToDo;
    for (const Entry& e : entries)
        allOk = allOk && e.ok;
    if (parser.isSet(QStringLiteral("json"))) {
        ctx.Out() << QJsonDocument(ToJson(entries)).toJson(QJsonDocument::Indented);
    } else {
        for (const Entry& e : entries)
            ctx.Out() << SummaryLine(e) << '\n';
    }
    ctx.Out().flush();
    if (interrupted)
        return kExitAborted;
    return allOk ? kExitOk : kExitFailed;
}

} // namespace qdv::cli
