#include "cli/JobCommand.h"

#include "app/JobSnapshot.h"
#include "app/SendVerification.h"
#include "app/TtskCtrl.h"
#include "base/MessageCatalogue.h"
#include "cli/FolderHold.h"
#include "cli/HistoryNotice.h"
#include "convert/TmTableRemote.h"
#include "link/StationTables.h"
#include "link/StatusBlock.h"
#include "link/TSerialThread.h"
#include "link/TransferJobs.h"
#include "store/DataFileSet.h"
#include "store/DataImage.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <atomic>
#include <csignal>
#include <unistd.h>

namespace qdv::cli {

namespace {

constexpr int kPollMs = 100;
constexpr int kBarWidth = 30;
constexpr int kPortNotOpened = 300;

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

int JobKindOfWord(const QString& word) {
    if (word == QLatin1String("description"))
        return kJobDescription;
    if (word == QLatin1String("crosspoint"))
        return kJobCrosspoint;
    if (word == QLatin1String("primary"))
        return kJobPrimary;
    return -1;
}

QStringList MissingFiles(const JobOutcome& outcome) {
    QStringList missing;
    for (const FileResult& f : outcome.files) {
        if (f.code != 0)
            missing << f.Name();
    }
    for (const QString& f : outcome.report.missing) {
        if (!missing.contains(f))
            missing << f;
    }
    return missing;
}

QString WordOfJobKind(int kind) {
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

JobOutcome RunOneJob(CliContext& ctx, const SetupRecord& setup, bool send, int kind, bool recordHistory) {
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
            if (!control.StartJob(send ? 1 : 0, kind))
                return fail(QStringLiteral("the job was refused"), kExitFailed);
            started = true;
            err << setup.name << ": " << (send ? "send " : "receive ") << WordOfJobKind(kind) << '\n';
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
        if (report.errorCode == kPortNotOpened && !setup.selectLan &&
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
            MissingFiles(outcome));
        if (!notRecorded.isEmpty())
            err << "qdv70cli: " << notRecorded << '\n';
    }
    err.flush();
    signal(SIGINT, SIG_DFL);
    signal(SIGTERM, SIG_DFL);
    return outcome;
}

int RunJob(CliContext& ctx, bool send, const QStringList& words, bool verify) {
    QTextStream& err = ctx.Err();
    const int kind = words.size() == 1 ? JobKindOfWord(words.front()) : -1;
    if (kind < 0) {
        err << "qdv70cli: " << (send ? "send" : "receive")
            << " takes one of: description, crosspoint, primary\n";
        return kExitUsage;
    }
    QString error;
    const SetupRecord* chosen = ctx.ChosenSetup(&error);
    if (chosen == nullptr) {
        err << "qdv70cli: " << error << '\n';
        return kExitUsage;
    }
    const SetupRecord setup = *chosen;
    if (kind == kJobPrimary && setup.primaryBackupFiles == 0) {
        err << "qdv70cli: the setup selects no Primary files\n";
        return kExitFailed;
    }
    const JobOutcome outcome = RunOneJob(ctx, setup, send, kind);
    if (!send || !verify || outcome.exitCode != kExitOk)
        return outcome.exitCode;
    return VerifySend(ctx, setup, kind);
}

int VerifySend(CliContext& ctx, const SetupRecord& setup, int kind) {
    QTextStream& err = ctx.Err();
    QTemporaryDir folder;
    if (!folder.isValid()) {
        err << "qdv70cli: verify: no temporary folder: " << folder.errorString() << '\n';
        return kExitFailed;
    }
    // The same job in the other direction, into a folder of its own: the stored backup stays as it is.
    err << "verify: reading back\n";
    const JobOutcome back =
        RunOneJob(ctx, SendVerification::ReadBackSetup(setup, folder.path()), false, kind, false);
    if (back.exitCode != kExitOk) {
        err << "qdv70cli: verify: the read-back failed; the send is not verified\n";
        return back.exitCode;
    }
    TmTableRemote resolver;
    const std::vector<SendVerification::FileCheck> checks =
        SendVerification::Compare(resolver, setup, kind, folder.path());
    for (const SendVerification::FileCheck& c : checks)
        err << "  " << c.Text() << '\n';
    const int differing = SendVerification::Differing(checks);
    if (differing == 0)
        return kExitOk;
    err << "qdv70cli: verify: " << differing << (differing == 1 ? " file differs" : " files differ")
        << " from what was sent\n";
    return kExitFailed;
}

} // namespace qdv::cli
