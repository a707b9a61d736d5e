// qdv70bench: measures the wall time of whole Receive and Send jobs over loopback TCP against a
// qdv70sim process serving the sample data set, through the same task controller and link engine the
// program uses. Usage: qdv70bench [runs]

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

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;

    QTemporaryDir tmp;
    const QString device = tmp.filePath("device");
    const QString pc = tmp.filePath("pc");
    QString error;
    if (!WriteSampleDataSet(device, &error)) {
        std::fprintf(stderr, "cannot write the sample data set: %s\n", qPrintable(error));
        return 1;
    }
    QProcess sim;
    sim.start(QStringLiteral(QDV70SIM_PATH), {"--data", device, "--tcp", "0"});
    QByteArray banner;
    while (!banner.contains('\n') && sim.waitForReadyRead(5000))
        banner += sim.readAllStandardOutput();
    const auto m = QRegularExpression(":(\\d+)").match(QString::fromLatin1(banner));
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
    std::printf("%-22s %6s %10s %10s %10s %12s\n", "job", "runs", "min ms", "median ms", "max ms",
                "file bytes");
    for (const Job& job : jobs) {
        std::vector<double> ms;
        for (int i = 0; i < runs; ++i) {
            QElapsedTimer t;
            t.start();
            if (!control.StartJob(job.direction, job.kind)) {
                std::fprintf(stderr, "job refused\n");
                return 1;
            }
            WaitFor([&] { return !status.busy; });
            ms.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
            if (status.error || status.lastError != 0) {
                std::fprintf(stderr, "%s failed with code %u\n", job.name, status.lastError.load());
                return 1;
            }
        }
        std::sort(ms.begin(), ms.end());
        const QString folder = pc + (job.kind == kJobPrimary ? "/Primary" : "/Name");
        std::printf("%-22s %6d %10.1f %10.1f %10.1f %12lld\n", job.name, runs, ms.front(), ms[ms.size() / 2],
                    ms.back(), static_cast<long long>(FolderBytes(folder)));
    }
    sim.terminate();
    sim.waitForFinished();
    return 0;
}
