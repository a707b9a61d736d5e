#include "cli/Backup.h"

#include "app/JobSnapshot.h"
#include "app/SetupHealth.h"
#include "cli/CliContext.h"
#include "link/TSerialThread.h"
#include "link/TransferJobs.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QThread>

#include <atomic>
#include <csignal>

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

constexpr int kMaxWaitSeconds = 24 * 3600;
constexpr int kLinePollMs = 200;

std::atomic<bool> g_waitInterrupted{false};

extern "C" void OnWaitInterrupt(int) {
    g_waitInterrupted = true;
}

// Before a job on a serial line: while another program (the desktop program, another backup) holds the
// line, waits for it, at most `seconds`, saying so on stderr. Empty when the line is free (or is not a
// serial line, or cannot be opened at all: the job then says why); else why the job is not run.
// `interrupted` is set when Ctrl-C or SIGTERM ended the wait.
QString WaitForLine(CliContext& ctx, const SetupRecord& setup, int seconds, bool* interrupted) {
    if (setup.selectLan)
        return {};
    const QString device = ctx.Ports().SerialDevicePath(setup.comPort);
    if (!TSerialThread::LineBusy(device))
        return {};
    if (seconds <= 0)
        return QStringLiteral("the serial line %1 is in use by another program").arg(device);
    ctx.Err() << "qdv70cli: " << setup.name << ": the serial line " << device
              << " is in use by another program (the desktop program or another job); waiting up to "
              << seconds << " s for it\n";
    ctx.Err().flush();
    g_waitInterrupted = false;
    struct sigaction action {};
    struct sigaction oldInt {};
    struct sigaction oldTerm {};
    action.sa_handler = OnWaitInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &oldInt);
    sigaction(SIGTERM, &action, &oldTerm);
    QElapsedTimer clock;
    clock.start();
    bool busy = true;
    while (busy && !g_waitInterrupted && clock.elapsed() < qint64(seconds) * 1000) {
        QThread::msleep(kLinePollMs);
        busy = TSerialThread::LineBusy(device);
    }
    sigaction(SIGINT, &oldInt, nullptr);
    sigaction(SIGTERM, &oldTerm, nullptr);
    if (g_waitInterrupted) {
        *interrupted = true;
        return QStringLiteral("interrupted while waiting for the serial line %1").arg(device);
    }
    if (busy)
        return QStringLiteral("the serial line %1 stayed in use by another program for %2 s")
            .arg(device)
            .arg(seconds);
    ctx.Err() << "qdv70cli: " << setup.name << ": the serial line " << device << " is free after "
              << QString::number(clock.elapsed() / 1000.0, 'f', 1) << " s\n";
    return {};
}

QString SummaryLine(const Entry& e) {
    QString line = e.setup + '\t' + e.kind + '\t' + (e.ok ? QStringLiteral("OK") : QStringLiteral("FAILED"));
    // One line per entry: an error that gives its reason on a line of its own is joined up.
    if (!e.ok)
        line += '\t' + e.error.simplified();
    if (!e.missing.isEmpty())
        line += QStringLiteral("\tmissing: ") + e.missing.join(QStringLiteral(", "));
    return line;
}

} // namespace

Backup::Backup()
    : JobCommand(
          QStringLiteral("backup"),
          QStringLiteral("Receive the data of one or more setups into their backup folders, one job after "
                         "the other, and print a summary.")) {
    AddSetupChoice(QStringLiteral("back up"));
    AddOption(QCommandLineOption(QStringLiteral("kinds"),
                                 QStringLiteral("what to receive, comma-separated: primary, description, "
                                                "crosspoint (default: the Receive buttons the setup offers)"),
                                 QStringLiteral("KIND,...")));
    AddJsonOption(QStringLiteral("write only the summary on standard output, as JSON"));
    AddOption(
        QCommandLineOption(QStringLiteral("wait-line"),
                           QStringLiteral("when another program holds a setup's serial line, wait for it "
                                          "up to SECONDS before each job (default 0: fail at once)"),
                           QStringLiteral("SECONDS"), QStringLiteral("0")));
    AddMetricsOption(QStringLiteral("after the jobs, write the setups' figures (as `status` has them) to "
                                    "FILE in the Prometheus text format, replacing it atomically"));
}

int Backup::Execute(CliContext& ctx, const QStringList& arguments) {
    if (const auto done = Parse(ctx, arguments))
        return *done;
    const std::optional<int> waitSeconds = Number(QStringLiteral("wait-line"), 0, kMaxWaitSeconds);
    if (!waitSeconds)
        return UsageError(
            ctx,
            QStringLiteral("--wait-line wants a whole number of seconds from 0 to %1").arg(kMaxWaitSeconds));

    QList<int> kinds;
    if (Parsed().isSet(QStringLiteral("kinds"))) {
        for (const QString& word : Parsed().value(QStringLiteral("kinds")).split(',', Qt::SkipEmptyParts)) {
            const int kind = KindOfWord(word.trimmed());
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
    if (const auto done = ChooseSetups(ctx, &chosen))
        return *done;

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
        // A line that stayed busy is not waited for again by the setup's next kinds.
        QString lineBusy;
        for (const int k : setupKinds) {
            const auto kind = static_cast<JobKind>(k);
            Entry e;
            e.setup = setup.name;
            e.kind = WordOfKind(kind);
            if (!interrupted && lineBusy.isEmpty() && !(kind == kJobPrimary && setup.primaryBackupFiles == 0))
                lineBusy = WaitForLine(ctx, setup, *waitSeconds, &interrupted);
            if (interrupted) {
                e.error = QStringLiteral("not run: interrupted");
            } else if (kind == kJobPrimary && setup.primaryBackupFiles == 0) {
                e.error = QStringLiteral("the setup selects no Primary files");
            } else if (!lineBusy.isEmpty()) {
                e.error = QStringLiteral("not run: ") + lineBusy;
                const QString notRecorded =
                    JobSnapshot::RecordResult(setup, kind, QDateTime(), false, e.error, {});
                if (!notRecorded.isEmpty())
                    ctx.Err() << "qdv70cli: " << notRecorded << '\n';
                ctx.Err() << "qdv70cli: " << setup.name << ": " << e.kind << " not run: " << lineBusy << '\n';
            } else {
                const JobOutcome outcome = RunTransfer(ctx, setup, Direction::Receive, kind);
                interrupted = outcome.exitCode == kExitAborted;
                e.ok = outcome.exitCode == kExitOk;
                e.error = outcome.error;
                e.missing = outcome.MissingFiles();
            }
            entries << e;
        }
    }

    bool allOk = !nothingToDo;
    for (const Entry& e : entries)
        allOk = allOk && e.ok;
    if (Json()) {
        PrintJson(ctx, ToJson(entries));
    } else {
        for (const Entry& e : entries)
            ctx.Out() << SummaryLine(e) << '\n';
    }
    ctx.Out().flush();
    // The metrics fail the run only by exit status: the backup itself is stored.
    if (MetricsFile() && !WriteMetrics(ctx, AssessSetups(ctx, chosen)))
        allOk = false;
    if (interrupted)
        return kExitAborted;
    return allOk ? kExitOk : kExitFailed;
}

} // namespace qdv::cli
