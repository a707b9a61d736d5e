// qdv70bench: measures the wall time of whole Receive and Send jobs over loopback TCP against a
// qdv70sim process serving the sample data set, through the same task controller and link engine the
// program uses; then a Description and a Primary receive over a pseudo terminal paced to a 38400 bit/s
// line, against the time the line itself needs for the bytes that crossed it; and a Primary receive and
// send through a network controller's exchange (qdv70sim --netctl with an FTP server on loopback).
// Usage: qdv70bench [runs] [serial runs]

#include "app/TtskCtrl.h"
#include "convert/TmTableRemote.h"
#include "link/StationTables.h"
#include "link/StatusBlock.h"
#include "link/TransferJobs.h"
#include "sim/SampleDataSet.h"
#include "store/TmFile.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
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
    sim.start(QStringLiteral(QDV70SIM_PATH), args);
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

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    // A Primary receive at 38400 bit/s takes over two minutes; one run says enough.
    const int serialRuns = argc > 2 ? std::max(0, atoi(argv[2])) : 1;

    QTemporaryDir tmp;
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
        int direction;
        int kind;
    };
    const Job jobs[] = {
        {"Description receive", 0, kJobDescription},
        {"Primary receive", 0, kJobPrimary},
        {"Primary send", 1, kJobPrimary},
        {"Description send", 1, kJobDescription},
    };
    // Runs one job and returns its wall time in milliseconds, or a negative value when it failed.
    const auto runOnce = [&](const Job& job) {
        QElapsedTimer t;
        t.start();
        if (!control.StartJob(job.direction, job.kind)) {
            std::fprintf(stderr, "%s refused\n", job.name);
            return -1.0;
        }
        WaitFor([&] { return !status.busy; });
        const double ms = static_cast<double>(t.nsecsElapsed()) / 1e6;
        if (status.error || status.lastError != 0) {
            std::fprintf(stderr, "%s failed with code %u\n", job.name, status.lastError.load());
            return -1.0;
        }
        return ms;
    };
    std::printf("%-22s %6s %10s %10s %10s %12s\n", "job", "runs", "min ms", "median ms", "max ms",
                "file bytes");
    for (const Job& job : jobs) {
        std::vector<double> ms;
        for (int i = 0; i < runs; ++i) {
            ms.push_back(runOnce(job));
            if (ms.back() < 0)
                return 1;
        }
        std::sort(ms.begin(), ms.end());
        const QString folder = pc + (job.kind == kJobPrimary ? "/Primary" : "/Name");
        std::printf("%-22s %6d %10.1f %10.1f %10.1f %12lld\n", job.name, runs, ms.front(), ms[ms.size() / 2],
                    ms.back(), static_cast<long long>(FolderBytes(folder)));
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
    for (const Job& job :
         {Job{"Primary receive (FTP)", 0, kJobPrimary}, Job{"Primary send (FTP)", 1, kJobPrimary}}) {
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
    for (const Job& job : {jobs[0], jobs[1]}) {
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
