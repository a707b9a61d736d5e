#include "cli/JobCommand.h"

#include "app/JobSnapshot.h"
#include "app/TtskCtrl.h"
#include "base/CatalogueCodes.h"
#include "base/MessageCatalogue.h"
#include "cli/EngineSession.h"
#include "cli/FolderHold.h"
#include "cli/HistoryNotice.h"
#include "convert/TmTableRemote.h"
#include "link/StationTables.h"
#include "link/StatusBlock.h"
#include "link/TSerialThread.h"
#include "link/TransferJobs.h"
#include "secondary/SecondaryDataModel.h"
#include "secondary/StationNumbers.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTimer>

#include <atomic>
#include <csignal>
#include <unistd.h>

namespace qdv::cli {

namespace {

constexpr int kPollMs = 100;
constexpr int kBarWidth = 30;
const QString kStations = QStringLiteral("stations");

std::atomic<bool> g_interrupted{false};

extern "C" void OnInterrupt(int) {
    g_interrupted = true;
}

// Serial devices belong to a group on Linux ("dialout" on Debian and its kin, "uucp" elsewhere) that a
// new user is rarely in.
QString PermissionHint(const QString& device) {
    QString group = QFileInfo(device).group();
    if (group.isEmpty() || group == QLatin1String("root"))
        group = QStringLiteral("dialout");
    return QStringLiteral("qdv70cli: no permission to use %1: add the user to the group \"%2\" (sudo usermod "
                          "-aG %2 $USER) and log in again")
        .arg(device, group);
}

// The log line of one file: its name, what became of it, its size and, on failure, the reason (the
// system's own words when there are some, else the catalogue text).
QString FileLogLine(const FileResult& file, bool send) {
    const QString name = file.Name();
    const QString reason = file.detail.isEmpty() ? CatalogueText(file.code) : file.detail;
    if (file.skipped)
        return QStringLiteral("  %1: skipped: %2").arg(name, reason);
    if (file.code != 0)
        return QStringLiteral("  %1: failed after %2 bytes: %3").arg(name).arg(file.bytes).arg(reason);
    return QStringLiteral("  %1: %2, %3 bytes")
        .arg(name, send ? QStringLiteral("sent") : QStringLiteral("received"))
        .arg(file.bytes);
}

// Watches a running job: logs each file as it ends and, on a terminal, keeps a progress bar with the
// current status line below the log.
class JobWatcher {
public:
    JobWatcher(StatusBlock& status, QTextStream& err, bool send, bool tty)
        : m_status(status), m_err(err), m_send(send), m_tty(tty) {}

    void Poll(std::vector<FileResult>& files) {
        for (FileResult& f : m_status.TakeFileResults()) {
            ClearBar();
            m_err << FileLogLine(f, m_send) << '\n';
            files.push_back(std::move(f));
        }
        if (m_tty)
            DrawBar();
        m_err.flush();
    }

    void Done() {
        ClearBar();
        m_err.flush();
    }

private:
    void ClearBar() {
        if (m_barShown)
            m_err << "\r\033[K";
        m_barShown = false;
    }

    void DrawBar() {
        const std::uint32_t total = m_status.progressTotal;
        if (!m_status.gaugeShown || total == 0)
            return;
        const std::uint32_t pos = std::min(m_status.progressPosition.load(), total);
        const int filled = static_cast<int>(std::uint64_t(pos) * kBarWidth / total);
        m_err << "\r[" << QString(filled, QLatin1Char('#')) << QString(kBarWidth - filled, QLatin1Char('.'))
              << "] " << (std::uint64_t(pos) * 100 / total) << "% " << m_status.Line1().left(40) << "\033[K";
        m_barShown = true;
    }

    StatusBlock& m_status;
    QTextStream& m_err;
    bool m_send;
    bool m_tty;
    bool m_barShown = false;
};

} // namespace

int JobCommand::KindOfWord(const QString& word) {
    if (word == QLatin1String("description"))
        return kJobDescription;
    if (word == QLatin1String("crosspoint"))
        return kJobCrosspoint;
    if (word == QLatin1String("primary"))
        return kJobPrimary;
    return -1;
}

QStringList JobOutcome::MissingFiles() const {
    QStringList missing;
    for (const FileResult& f : files) {
        if (f.code != 0)
            missing << f.Name();
    }
    for (const QString& f : report.missing) {
        if (!missing.contains(f))
            missing << f;
    }
    return missing;
}

QString JobCommand::WordOfKind(int kind) {
    switch (kind) {
    case kJobDescription:
        return QStringLiteral("description");
    case kJobCrosspoint:
        return QStringLiteral("crosspoint");
    case kJobPrimary:
        return QStringLiteral("primary");
    default:
        return QString();
    }
}

JobOutcome JobCommand::RunTransfer(CliContext& ctx, const SetupRecord& setup, Direction direction,
                                   JobKind kind, bool recordHistory) {
    const bool send = direction == Direction::Send;
    QTextStream& err = ctx.Err();
    JobOutcome outcome;
    StatusBlock status;
    StationTables stations;
    TmTableRemote resolver;
    // The folder is held from the send's check (which makes the compact crosspoint list) to the
    // receive's snapshot (which may make the history).
    FolderLock folderLock;
    const QString job =
        (send ? QStringLiteral("sending ") : QStringLiteral("receiving ")) + JobKindName(kind);
    if (const int held = HoldFolder(ctx, setup.backupDataPath, job, folderLock, &outcome.error)) {
        outcome.exitCode = held;
        return outcome;
    }
    if (send) {
        const JobReport unsendable = JobReport::CheckSendFile(resolver, setup, kind);
        if (!unsendable.Success()) {
            outcome.exitCode = kExitFailed;
            outcome.report = unsendable;
            outcome.error = unsendable.ListText();
            err << outcome.error << '\n';
            return outcome;
        }
    }
    PortSettings ports = ctx.Ports();
    TtskCtrl control(TtskCtrl::kLinkEngine, status, stations, resolver, ctx.File(), ports,
                     [setup] { return setup; });
    control.SetFolderLockUse({.heldByCaller = true});

    g_interrupted = false;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    JobWatcher watcher(status, err, send, ::isatty(STDERR_FILENO) == 1);
    bool started = false;
    bool cancelled = false;
    bool finished = false; // the outcome is told; later looks find nothing to do
    auto fail = [&](const QString& error, int exitCode) {
        finished = true;
        outcome.error = error;
        err << "qdv70cli: " << error << '\n';
        QCoreApplication::exit(exitCode);
    };
    // Looked at every 100 ms for the progress bar and Ctrl-C, and at once when the task controller is
    // ready or the job has ended, so that neither waits for the next look.
    const auto step = [&] {
        if (finished)
            return;
        if (g_interrupted && !cancelled) {
            cancelled = true;
            if (started)
                status.abortRequest = true;
        }
        if (!started) {
            if (cancelled)
                return fail(QStringLiteral("interrupted"), kExitAborted);
            if (control.State() == TtskCtrl::kStateFailed)
                return fail(QStringLiteral("the link engine could not be started"), kExitFailed);
            if (!control.Ready())
                return;
            if (!control.StartJob(direction, kind))
                return fail(QStringLiteral("the job was refused"), kExitFailed);
            started = true;
            err << setup.name << ": " << (send ? "send " : "receive ") << WordOfKind(kind) << '\n';
            return;
        }
        watcher.Poll(outcome.files);
        if (status.busy)
            return;
        watcher.Poll(outcome.files);
        watcher.Done();
        finished = true;
        const JobReport report = JobReport::FromStatus(status, setup, cancelled);
        outcome.report = report;
        if (report.errorCode != 0 || !report.errorText.isEmpty()) {
            outcome.error = report.errorText.isEmpty() ? report.ErrorText() : report.errorText;
            err << outcome.error << '\n';
        }
        if (report.errorCode == msg::kPortNotOpened && !setup.selectLan &&
            TSerialThread::IsPermissionFailure(status.Line1()))
            err << PermissionHint(ports.SerialDevicePath(setup.comPort)) << '\n';
        if (!report.missing.isEmpty()) {
            if (outcome.error.isEmpty())
                outcome.error = report.listTitle;
            err << report.ListText() << '\n';
        }
        if (recordHistory)
            ReportSnapshot(JobSnapshot::AfterJob(status, setup, report), err);
        err.flush();
        QCoreApplication::exit(cancelled ? kExitAborted : report.Success() ? kExitOk : kExitFailed);
    };
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, step);
    QObject::connect(&control, &TtskCtrl::ReadyReached, step);
    QObject::connect(&control, &TtskCtrl::JobEnded, step);
    poll.start(kPollMs);
    const QDateTime jobStart = QDateTime::currentDateTimeUtc();
    outcome.exitCode = QCoreApplication::exec();
    poll.stop();
    if (!send && recordHistory) {
        const QString notRecorded = JobSnapshot::RecordResult(
            setup, kind, jobStart, outcome.exitCode == kExitOk,
            outcome.exitCode == kExitAborted ? QStringLiteral("interrupted") : outcome.error,
            outcome.MissingFiles());
        if (!notRecorded.isEmpty())
            err << "qdv70cli: " << notRecorded << '\n';
    }
    err.flush();
    signal(SIGINT, SIG_DFL);
    signal(SIGTERM, SIG_DFL);
    return outcome;
}

void JobCommand::AddStationsOption() {
    AddOption(QCommandLineOption(kStations,
                                 QStringLiteral("with secondary: these stations (e.g. 5,9-11) instead of the "
                                                "checked ones"),
                                 QStringLiteral("LIST")));
}

bool JobCommand::StationsGiven() const {
    return Parsed().isSet(kStations);
}

std::optional<int> JobCommand::ChooseJob(CliContext& ctx, Direction direction, const QStringList& words,
                                         SetupRecord* setup, JobKind* kind) const {
    QTextStream& err = ctx.Err();
    const int word = words.size() == 1 ? KindOfWord(words.front()) : -1;
    if (word < 0) {
        err << "qdv70cli: " << (direction == Direction::Send ? "send" : "receive")
            << " takes one of: description, crosspoint, primary\n";
        return kExitUsage;
    }
    *kind = static_cast<JobKind>(word);
    const SetupRecord* chosen = ChosenSetup(ctx);
    if (chosen == nullptr)
        return kExitUsage;
    *setup = *chosen;
    if (*kind == kJobPrimary && setup->primaryBackupFiles == 0) {
        err << "qdv70cli: the setup selects no Primary files\n";
        return kExitFailed;
    }
    return std::nullopt;
}

int JobCommand::RunSecondary(CliContext& ctx, Direction direction) const {
    const bool send = direction == Direction::Send;
    const SetupRecord* setup = ChosenSetup(ctx);
    if (!setup)
        return kExitUsage;
    const QString stations = Parsed().value(kStations);
    std::optional<std::vector<int>> only;
    if (!stations.isEmpty()) {
        only = ParseStationNumbers(stations, StationList::kFirst, StationList::kLast);
        if (!only) {
            ctx.Err() << "qdv70cli: not a list of stations 2..254: " << stations << '\n';
            return kExitUsage;
        }
    }
    FolderLock folder;
    const QString job = send ? QStringLiteral("sending Secondary") : QStringLiteral("receiving Secondary");
    if (const int held = HoldFolder(ctx, setup->backupDataPath, job, folder))
        return held;
    EngineSession session(ctx, *setup);
    SecondaryDataModel core(session.Services(), direction);
    core.Show();
    std::vector<int> chosen = only.value_or(std::vector<int>());
    if (!only) {
        for (int id = StationList::kFirst; id <= StationList::kLast; ++id) {
            if (core.List().At(id).checked)
                chosen.push_back(id);
        }
    }
    if (chosen.empty()) {
        ctx.Err()
            << "qdv70cli: no stations chosen: check some (qdv70cli stations check) or give --stations\n";
        return kExitUsage;
    }
    bool started = false;
    const int status = session.RunStationJob(core, [&] {
        started = core.StartRun(&chosen);
        if (!started)
            ctx.Err() << "qdv70cli: the job was refused\n";
        return started;
    });
    if (!started)
        return status;
    if (!send)
        ReportSnapshot(core.SnapshotReceived(), ctx.Err());
    bool allOk = true;
    for (const int id : chosen) {
        const StatusCell cell = core.Cell(id);
        allOk = allOk && cell.text == QLatin1String("OK");
        ctx.Out() << QString::asprintf("%03d", id) << '\t' << cell.text << '\n';
    }
    if (status == kExitAborted)
        return kExitAborted;
    return allOk && status == kExitOk ? kExitOk : kExitFailed;
}

} // namespace qdv::cli
