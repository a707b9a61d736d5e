// qdv70bench: what a transfer costs beyond the protocol itself. Over loopback TCP against one qdv70sim
// process serving the sample data set, each repetition runs a Primary receive and a Primary send three
// ways in turn: the reference client (the smallest stop-and-wait client, ReferenceClient), the link engine
// through the task controller (StartJob to busy falling), and the whole `qdv70cli receive|send primary`
// process; it prints the medians and the median ratios to the reference. Then whole Description jobs
// through the engine; a Description and a Primary receive over a pseudo terminal paced to a 38400 bit/s
// line, against the time the line itself needs for the bytes that crossed it; and a Primary receive and
// send through a network controller's exchange (qdv70sim --netctl with an FTP server on loopback).
// Usage: qdv70bench [runs] [serial runs] [folder]
// QDV70SIM and QDV70CLI in the environment name other simulator and tool executables than the build's
// (to compare with an older build in the same run of this program).
// The benchmark, the simulator and the tool run on one processor (QDV70BENCH_UNPINNED=1 in the
// environment leaves them wherever the scheduler puts them): on a virtual machine a round trip between
// two processors costs several times one within a processor, and which it is changes from run to run.
// The link engine keeps a pause of LinkEngine::kEndPauseMs between closing the line and reporting the
// result, which the reference client does not make; the ratios are also given against the reference
// plus that pause, the protocol's own cost as the engine must run it.
// The device's and the PC's files go under `folder`, by default /dev/shm where it exists: the received
// and the stored files are flushed to disk one by one, and on a disk shared with other work the flushes
// would swamp what is measured here.
#include "ReferenceClient.h"
#include "app/TtskCtrl.h"
#include "convert/TmTableRemote.h"
#include "link/LinkEngine.h"
#include "link/StationTables.h"
#include "link/StatusBlock.h"
#include "link/TransferJobs.h"
#include "sim/SampleDataSet.h"
#include "store/DataFileSet.h"
#include "store/TmFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <sched.h>
#include <vector>

using namespace qdv;

namespace {

qint64 FolderBytes(const QString& dir) {
    qint64 n = 0;
    QDirIterator it(dir, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        n += QFileInfo(it.next()).size();
    return n;
}

// Waits in the event loop until `done` holds (checked every millisecond).
void WaitFor(const std::function<bool()>& done) {
    QEventLoop loop;
    QTimer t;
    QObject::connect(&t, &QTimer::timeout, [&] {
        if (done())
            loop.quit();
    });
    t.start(1);
    loop.exec();
}

// Starts the simulator with `args` and returns its first line, which says where it serves.
QString StartSim(QProcess& sim, const QStringList& args) {
    sim.start(qEnvironmentVariable("QDV70SIM", QStringLiteral(QDV70SIM_PATH)), args);
    QByteArray banner;
    while (!banner.contains('\n') && sim.waitForReadyRead(5000))
        banner += sim.readLine();
    return QString::fromLatin1(banner);
}

// Bytes that crossed the simulator's serial line so far (both directions), from the last count it
// printed. It prints one at every ETB; the last ETB of a job comes just before the job ends.
qint64 LineBytes(QProcess& sim, qint64 previous) {
    static const QRegularExpression count(QStringLiteral("line bytes in (\\d+) out (\\d+)"));
    qint64 bytes = previous;
    while (sim.canReadLine() || sim.waitForReadyRead(200)) {
        while (sim.canReadLine()) {
            const auto m = count.match(QString::fromLatin1(sim.readLine()));
            if (m.hasMatch())
                bytes = m.captured(1).toLongLong() + m.captured(2).toLongLong();
        }
    }
    return bytes;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// The load average of the machine (1, 5, 15 minutes), for the record beside the figures.
QString LoadAverage() {
    QFile f(QStringLiteral("/proc/loadavg"));
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("unknown");
    return QString::fromLatin1(f.readLine()).section(QLatin1Char(' '), 0, 2);
}

// CPU time of this process's thread named `name` (the link engine's is "RST16"), in milliseconds; -1
// when there is none. Unlike wall time it does not grow when other work holds the processors.
double ThreadCpuMs(const char* name) {
    QDirIterator it(QStringLiteral("/proc/self/task"), QDir::Dirs | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        const QString task = it.next();
        QFile comm(task + QStringLiteral("/comm"));
        if (!comm.open(QIODevice::ReadOnly) || comm.readAll().trimmed() != name)
            continue;
        QFile stat(task + QStringLiteral("/schedstat"));
        if (!stat.open(QIODevice::ReadOnly))
            return -1;
        return QString::fromLatin1(stat.readAll()).section(QLatin1Char(' '), 0, 0).toDouble() / 1e6;
    }
    return -1;
}

double OwnCpuMs() {
    timespec ts{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

double MsSince(const QElapsedTimer& t) {
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

// The Primary files through the reference client: all eight in one connection. Milliseconds, or a
// negative value when it failed.
double RunReference(quint16 port, bool send, const QString& primaryFolder, double* cpuMs) {
    const double cpu = OwnCpuMs();
    QElapsedTimer t;
    t.start();
    ReferenceClient client;
    bool ok = client.Connect(port);
    for (int i = 0; ok && i < datafiles::kPrimaryCount; ++i) {
        const char type = datafiles::kPrimaryTypes[i];
        const QString path =
            primaryFolder + QLatin1Char('/') + datafiles::FileName(datafiles::CodeOfCharacter(type));
        ok = send ? client.SendFile(type, path, false) : client.ReceiveFile(type, path);
    }
    client.Close();
    const double ms = MsSince(t);
    *cpuMs = OwnCpuMs() - cpu;
    if (!ok) {
        std::fprintf(stderr, "reference %s failed: %s\n", send ? "send" : "receive",
                     qPrintable(client.Error()));
        return -1;
    }
    return ms;
}

// A home folder for qdv70cli whose one setup talks to the simulator at 127.0.0.1:`port`.
bool WriteCliHome(const QString& home, const QString& backup, quint16 port) {
    QDir().mkpath(home);
    QFile list(QDir(home).filePath(QStringLiteral("QDV70LIST.INI")));
    QFile comm(QDir(home).filePath(QStringLiteral("QDV70COMM.INI")));
    if (!list.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        !comm.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    list.write(QStringLiteral("[SETUP]\nREG=1\n[SELECT LIST]\nSETUP=0\n[SETUP_1]\nNAME=bench\nDIR=%1\n"
                              "IP=127.0.0.1\nSELECT_LAN=1\nREOTE3=%2\nSELECT_PRIMARY_BACKUP_FILE=255\n")
                   .arg(backup)
                   .arg(port)
                   .toUtf8());
    comm.write("[UDP]\nBROADCAST=127.255.255.255\n");
    return true;
}

// The whole command-line tool for one job; milliseconds from start to exit, negative when it failed.
double RunCli(const QString& home, bool send) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    env.remove(QStringLiteral("QDV70_HOME"));
    p.setProcessEnvironment(env);
    QElapsedTimer t;
    t.start();
    p.start(qEnvironmentVariable("QDV70CLI", QStringLiteral(QDV70CLI_PATH)),
            {QStringLiteral("--home"), home, send ? QStringLiteral("send") : QStringLiteral("receive"),
             QStringLiteral("primary")});
    const bool finished = p.waitForFinished(120000);
    const double ms = MsSince(t);
    if (!finished || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        std::fprintf(stderr, "qdv70cli %s failed: %s\n", send ? "send" : "receive",
                     p.readAllStandardError().constData());
        return -1;
    }
    return ms;
}

// Keeps this process, and so every thread and child it starts, on the processor it runs on now; returns
// that processor, or -1 when it stays unpinned.
int PinToOneProcessor() {
    if (qEnvironmentVariableIsSet("QDV70BENCH_UNPINNED"))
        return -1;
    const int cpu = sched_getcpu();
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(cpu, &set);
    return cpu >= 0 && sched_setaffinity(0, sizeof set, &set) == 0 ? cpu : -1;
}

} // namespace

int main(int argc, char* argv[]) {
    const int pinned = PinToOneProcessor();
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    // A Primary receive at 38400 bit/s takes over two minutes; one run says enough.
    const int serialRuns = argc > 2 ? std::max(0, atoi(argv[2])) : 1;

    const QString base = argc > 3 ? QString::fromLocal8Bit(argv[3])
                         : QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm")
                                                                              : QDir::tempPath();
    QTemporaryDir tmp(base + QStringLiteral("/qdv70bench-XXXXXX"));
    if (!tmp.isValid()) {
        std::fprintf(stderr, "cannot make a folder under %s\n", qPrintable(base));
        return 1;
    }
    std::printf("files under %s; %s\n", qPrintable(base),
                pinned >= 0 ? qPrintable(QStringLiteral("everything on processor %1").arg(pinned))
                            : "not pinned to a processor");
    const QString device = tmp.filePath("device");
    const QString pc = tmp.filePath("pc");
    QString error;
    if (!WriteSampleDataSet(device, &error)) {
        std::fprintf(stderr, "cannot write the sample data set: %s\n", qPrintable(error));
        return 1;
    }
    QProcess sim;
    const auto m = QRegularExpression(":(\\d+)").match(StartSim(sim, {"--data", device, "--tcp", "0"}));
    if (!m.hasMatch()) {
        std::fprintf(stderr, "the simulator did not start\n");
        return 1;
    }

    SetupRecord setup;
    setup.name = "bench";
    setup.SetBackupDataPath(pc);
    setup.selectLan = true;
    setup.ipAddress = "127.0.0.1";
    setup.remote3Port = m.captured(1).toInt();
    setup.primaryBackupFiles = 0xFF;
    PortSettings ports;
    StatusBlock status;
    StationTables stations;
    TmTableRemote resolver;
    TmFile files(tmp.filePath("home"));
    files.CreateProgramFolders(&error); // XMLDoc/ for the network controller's exchange
    TtskCtrl control(TtskCtrl::kLinkEngine, status, stations, resolver, files, ports, [&] { return setup; });
    WaitFor([&] { return control.Ready(); });

    struct Job {
        const char* name;
        Direction direction;
        JobKind kind;
    };
    // Runs one job and returns its wall time in milliseconds, or a negative value when it failed.
    const auto runOnce = [&](const Job& job) {
        QElapsedTimer t;
        t.start();
        if (!control.StartJob(job.direction, job.kind)) {
            std::fprintf(stderr, "%s refused\n", job.name);
            return -1.0;
        }
        // Woken by the job's end, as the command-line tool is: no polling that would keep a processor
        // awake for the engine's sake.
        QEventLoop loop;
        QObject::connect(&control, &TtskCtrl::JobEnded, &loop, &QEventLoop::quit);
        if (status.busy)
            loop.exec();
        const double ms = MsSince(t);
        if (status.error || status.lastError != 0) {
            std::fprintf(stderr, "%s failed with code %u\n", job.name, status.lastError.load());
            return -1.0;
        }
        return ms;
    };

    // Side by side: within each repetition the reference client, the engine and the command-line tool
    // take turns on the same simulator, so that all three see the same load. The first repetition
    // only warms up (folders, the tool's backup history) and is not counted.
    const quint16 port = static_cast<quint16>(setup.remote3Port);
    const QString reference = tmp.filePath("reference");
    const QString cliHome = tmp.filePath("cli/home");
    if (!WriteCliHome(cliHome, tmp.filePath("cli/backup"), port)) {
        std::fprintf(stderr, "cannot write the command-line tool's home folder\n");
        return 1;
    }
    const Job primary[] = {{"Primary receive", Direction::Receive, kJobPrimary},
                           {"Primary send", Direction::Send, kJobPrimary}};
    struct Row {
        std::vector<double> reference, engine, cli, engineRatio, cliRatio, referenceCpu, engineCpu;
    } rows[2];
    std::printf("loopback TCP, sample data set; load average before: %s\n", qPrintable(LoadAverage()));
    for (int i = -1; i < runs; ++i) {
        for (int j = 0; j < 2; ++j) {
            const bool send = primary[j].direction == Direction::Send;
            double rCpu = 0;
            const double r = RunReference(port, send, reference, &rCpu);
            const double eCpu = ThreadCpuMs("RST16");
            const double e = runOnce(primary[j]);
            const double eCpuUsed = ThreadCpuMs("RST16") - eCpu;
            const double c = RunCli(cliHome, send);
            if (r < 0 || e < 0 || c < 0)
                return 1;
            if (i < 0)
                continue;
            std::printf(
                "  run %d %-15s ref %7.1f  engine %7.1f  cli %7.1f ms   cpu: ref %6.1f  engine %6.1f ms\n",
                i + 1, primary[j].name, r, e, c, rCpu, eCpuUsed);
            rows[j].referenceCpu.push_back(rCpu);
            rows[j].engineCpu.push_back(eCpuUsed);
            rows[j].reference.push_back(r);
            rows[j].engine.push_back(e);
            rows[j].cli.push_back(c);
            rows[j].engineRatio.push_back(e / r);
            rows[j].cliRatio.push_back(c / r);
        }
    }
    // The reference must have moved the same bytes as the engine, or its time says nothing.
    for (int i = 0; i < datafiles::kPrimaryCount; ++i) {
        const QString name = datafiles::FileName(datafiles::CodeOfCharacter(datafiles::kPrimaryTypes[i]));
        QFile a(reference + QLatin1Char('/') + name);
        QFile b(pc + QStringLiteral("/Primary/") + name);
        if (!a.open(QIODevice::ReadOnly) || !b.open(QIODevice::ReadOnly) || a.readAll() != b.readAll()) {
            std::fprintf(stderr, "the reference client's %s differs from the engine's\n", qPrintable(name));
            return 1;
        }
    }
    // "+pause": against the reference plus the engine's end pause.
    constexpr double kPause = LinkEngine::kEndPauseMs;
    std::printf("%-16s %4s %7s %9s %7s %10s %8s %7s %7s %8s %10s\n", "median of runs", "runs", "ref ms",
                "engine ms", "cli ms", "engine/ref", "cli/ref", "+pause", "+pause", "ref cpu", "engine cpu");
    for (int j = 0; j < 2; ++j) {
        const Row& r = rows[j];
        std::printf("%-16s %4d %7.1f %9.1f %7.1f %10.3f %8.3f %7.3f %7.3f %8.1f %10.1f\n", primary[j].name,
                    runs, Median(r.reference), Median(r.engine), Median(r.cli), Median(r.engineRatio),
                    Median(r.cliRatio), Median(r.engine) / (Median(r.reference) + kPause),
                    Median(r.cli) / (Median(r.reference) + kPause), Median(r.referenceCpu),
                    Median(r.engineCpu));
    }
    // The fastest run of each is the one least disturbed by other work on the machine.
    const auto least = [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); };
    std::printf("%-16s %4s %7s %9s %7s %10s %8s %7s %7s\n", "fastest of runs", "runs", "ref ms", "engine ms",
                "cli ms", "engine/ref", "cli/ref", "+pause", "+pause");
    for (int j = 0; j < 2; ++j) {
        const Row& r = rows[j];
        const double ref = least(r.reference);
        std::printf("%-16s %4d %7.1f %9.1f %7.1f %10.3f %8.3f %7.3f %7.3f\n", primary[j].name, runs, ref,
                    least(r.engine), least(r.cli), least(r.engine) / ref, least(r.cli) / ref,
                    least(r.engine) / (ref + kPause), least(r.cli) / (ref + kPause));
    }
    std::printf("end pause of the engine %d ms; cpu in ms\n", LinkEngine::kEndPauseMs);
    std::printf("load average after: %s\n\n", qPrintable(LoadAverage()));

    const Job jobs[] = {
        {"Description receive", Direction::Receive, kJobDescription},
        {"Description send", Direction::Send, kJobDescription},
    };
    std::printf("%-22s %6s %10s %10s %10s %12s\n", "engine only", "runs", "min ms", "median ms", "max ms",
                "file bytes");
    for (const Job& job : jobs) {
        std::vector<double> ms;
        for (int i = 0; i < runs; ++i) {
            ms.push_back(runOnce(job));
            if (ms.back() < 0)
                return 1;
        }
        std::sort(ms.begin(), ms.end());
        std::printf("%-22s %6d %10.1f %10.1f %10.1f %12lld\n", job.name, runs, ms.front(), Median(ms),
                    ms.back(), static_cast<long long>(FolderBytes(pc + "/Name")));
    }
    sim.terminate();
    sim.waitForFinished();

    // The same Primary jobs through a network controller's XML exchange and FTP.
    QProcess netSim;
    QString banner = StartSim(netSim, {"--data", device, "--tcp", "0", "--netctl"});
    while (!banner.contains(QLatin1String("getinfo")) && netSim.waitForReadyRead(10000))
        banner += QString::fromLatin1(netSim.readAll());
    const auto nm = QRegularExpression(":(\\d+)\\s+.*getinfo (\\d+)").match(banner);
    QProcess ftp;
    ftp.setProcessChannelMode(QProcess::MergedChannels);
    ftp.start(QStringLiteral("/usr/bin/python3"), {"-m", "pyftpdlib", "-i", "127.0.0.1", "-p", "0", "-d",
                                                   device, "-w", "-u", "admin", "-P", "bench"});
    QByteArray ftpSaid;
    QRegularExpressionMatch fm;
    const QRegularExpression ftpPort(QStringLiteral("FTP server on 127\\.0\\.0\\.1:(\\d+)"));
    while (!(fm = ftpPort.match(QString::fromLatin1(ftpSaid))).hasMatch() && ftp.waitForReadyRead(10000))
        ftpSaid += ftp.readAll();
    if (!nm.hasMatch() || !fm.hasMatch()) {
        std::fprintf(stderr, "the network controller or its FTP server did not start\n");
        return 1;
    }
    setup.remote3Port = nm.captured(1).toInt();
    ports.getInfoPort = nm.captured(2).toInt();
    ports.ftpPort = fm.captured(1).toInt();
    ports.ftpUser = "admin";
    ports.ftpPassword = "bench";
    for (const Job& job : {Job{"Primary receive (FTP)", Direction::Receive, kJobPrimary},
                           Job{"Primary send (FTP)", Direction::Send, kJobPrimary}}) {
        std::vector<double> ms;
        for (int i = 0; i < runs; ++i) {
            ms.push_back(runOnce(job));
            if (ms.back() < 0)
                return 1;
            if (status.Line2() != QLatin1String("FTP OK.")) {
                std::fprintf(stderr, "%s did not go through the exchange\n", job.name);
                return 1;
            }
        }
        std::sort(ms.begin(), ms.end());
        std::printf("%-22s %6d %10.1f %10.1f %10.1f %12lld\n", job.name, runs, ms.front(), ms[ms.size() / 2],
                    ms.back(), static_cast<long long>(FolderBytes(pc + "/Primary")));
    }
    ports = PortSettings();
    ftp.terminate();
    ftp.waitForFinished();
    netSim.terminate();
    netSim.waitForFinished();
    if (serialRuns == 0)
        return 0; // the serial rows take minutes at the line's real pace

    constexpr int kLineRate = 38400;
    const QString link = tmp.filePath("ttySIM");
    QProcess serialSim;
    if (!StartSim(serialSim, {"--data", device, "--serial", link, "--line-rate", QString::number(kLineRate),
                              "--line-stats"})
             .contains(QLatin1String("serial line at"))) {
        std::fprintf(stderr, "the simulator did not start on a serial line\n");
        return 1;
    }
    setup.selectLan = false;
    setup.comPort = 1;
    ports.serialDevice[0] = link;
    std::printf("\nserial line, %d bit/s 8N1 (line ms = bytes that crossed it x 10 bits / %d)\n", kLineRate,
                kLineRate);
    std::printf("%-22s %6s %10s %12s %10s %8s\n", "job", "runs", "median ms", "line bytes", "line ms",
                "ratio");
    qint64 crossed = LineBytes(serialSim, 0);
    for (const Job& job : {jobs[0], primary[0]}) {
        std::vector<double> ms;
        std::vector<double> lineMs;
        for (int i = 0; i < serialRuns; ++i) {
            ms.push_back(runOnce(job));
            if (ms.back() < 0)
                return 1;
            const qint64 now = LineBytes(serialSim, crossed);
            lineMs.push_back(static_cast<double>(now - crossed) * 10 * 1000 / kLineRate);
            crossed = now;
        }
        std::sort(ms.begin(), ms.end());
        std::sort(lineMs.begin(), lineMs.end());
        const double median = ms[ms.size() / 2];
        const double line = lineMs[lineMs.size() / 2];
        std::printf("%-22s %6d %10.1f %12.0f %10.1f %8.3f\n", job.name, serialRuns, median,
                    line * kLineRate / 10 / 1000, line, median / line);
    }
    serialSim.terminate();
    serialSim.waitForFinished();
    return 0;
}
