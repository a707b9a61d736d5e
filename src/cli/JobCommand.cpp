#include "cli/JobCommand.h"

#include "app/JobReport.h"
#include "app/JobSnapshot.h"
#include "app/TtskCtrl.h"
#include "base/MessageCatalogue.h"
#include "cli/CliContext.h"
#include "cli/HistoryNotice.h"
#include "convert/TmTableRemote.h"
#include "link/StationTables.h"
#include "link/StatusBlock.h"
#include "link/TSerialThread.h"
#include "link/TransferJobs.h"

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
constexpr int kPortNotOpened = 300;

std::atomic<bool> g_interrupted{false};

extern "C" void OnInterrupt(int) {
    g_interrupted = true;
}

// Texts made only of hexadecimal digits are the data of the record in flight; the progress bar shows
// the transfer better than hundreds of lines of them.
bool IsRecordData(const QString& text) {
    if (text.isEmpty())
        return false;
    for (QChar c : text) {
        if (!c.isDigit() && !(c >= QLatin1Char('A') && c <= QLatin1Char('F')))
            return false;
    }
    return true;
}

int KindOf(const QString& word) {
    if (word == QLatin1String("description"))
        return kJobDescription;
    if (word == QLatin1String("crosspoint"))
        return kJobCrosspoint;
    if (word == QLatin1String("primary"))
        return kJobPrimary;
    return -1;
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

// Watches a running job and prints what the main window would show.
class JobWatcher {
public:
    JobWatcher(StatusBlock& status, QTextStream& out, bool tty) : m_status(status), m_out(out), m_tty(tty) {}

    void Poll() {
        QString text;
        if (m_status.TakeLine1(&text) && !text.isEmpty())
            Print(text);
        if (m_status.TakeLine2(&text) && !text.isEmpty() && !IsRecordData(text))
            Print(text);
        if (m_tty)
            DrawBar();
    }

    void Done() {
        if (m_barShown)
            m_out << '\n';
        m_barShown = false;
        m_out.flush();
    }

private:
    void Print(const QString& line) {
        if (m_barShown)
            m_out << "\r\033[K";
        m_barShown = false;
        m_out << line << '\n';
        m_out.flush();
    }

    void DrawBar() {
        const std::uint32_t total = m_status.progressTotal;
        if (!m_status.gaugeShown || total == 0)
            return;
        const std::uint32_t pos = std::min(m_status.progressPosition.load(), total);
        const int filled = static_cast<int>(std::uint64_t(pos) * kBarWidth / total);
        m_out << "\r[" << QString(filled, QLatin1Char('#')) << QString(kBarWidth - filled, QLatin1Char('.'))
              << "] " << (std::uint64_t(pos) * 100 / total) << "%";
        m_out.flush();
        m_barShown = true;
    }

    StatusBlock& m_status;
    QTextStream& m_out;
    bool m_tty;
    bool m_barShown = false;
};

} // namespace

int RunJob(CliContext& ctx, bool send, const QStringList& words, QTextStream& out, QTextStream& err) {
    const int kind = words.size() == 1 ? KindOf(words.front()) : -1;
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

    StatusBlock status;
    StationTables stations;
    TmTableRemote resolver;
    if (send) {
        const JobReport unsendable = JobReport::CheckSendFile(resolver, setup, kind);
        if (!unsendable.Success()) {
            err << unsendable.ListText() << '\n';
            return kExitFailed;
        }
    }
    PortSettings ports = ctx.Ports();
    TtskCtrl control(TtskCtrl::kLinkEngine, status, stations, resolver, ctx.File(), ports,
                     [setup] { return setup; });

    g_interrupted = false;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    JobWatcher watcher(status, out, ::isatty(STDOUT_FILENO) == 1);
    bool started = false;
    bool cancelled = false;
    int exitCode = kExitOk;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (g_interrupted && !cancelled) {
            cancelled = true;
            if (started)
                status.abortRequest = true;
        }
        if (!started) {
            if (cancelled) {
                QCoreApplication::exit(kExitAborted);
                return;
            }
            if (control.State() == TtskCtrl::kStateFailed) {
                err << "qdv70cli: the link engine could not be started\n";
                QCoreApplication::exit(kExitFailed);
                return;
            }
            if (!control.Ready())
                return;
            if (!control.StartJob(send ? 1 : 0, kind)) {
                err << "qdv70cli: the job was refused\n";
                QCoreApplication::exit(kExitFailed);
                return;
            }
            started = true;
            return;
        }
        watcher.Poll();
        if (status.busy)
            return;
        watcher.Done();
        const JobReport report = JobReport::FromStatus(status, setup, cancelled);
        if (report.errorCode != 0)
            err << CatalogueText(report.errorCode) << '\n';
        if (report.errorCode == kPortNotOpened && !setup.selectLan &&
            TSerialThread::IsPermissionFailure(status.Line1()))
            err << PermissionHint(ports.SerialDevicePath(setup.comPort)) << '\n';
        if (!report.missing.isEmpty())
            err << report.ListText() << '\n';
        ReportSnapshot(JobSnapshot::AfterJob(status, setup, report), err);
        err.flush();
        QCoreApplication::exit(cancelled ? kExitAborted : report.Success() ? kExitOk : kExitFailed);
    });
    poll.start(kPollMs);
    exitCode = QCoreApplication::exec();
    poll.stop();
    signal(SIGINT, SIG_DFL);
    signal(SIGTERM, SIG_DFL);
    return exitCode;
}

} // namespace qdv::cli
