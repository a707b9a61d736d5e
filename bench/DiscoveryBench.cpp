// qdv70discbench: how long a device search takes to fill the device table when a whole plant answers
// one request at once. Simulated devices answer on loopback (127.255.255.255) in this process; the UDP
// worker runs on its own thread as in the program. Prints, per plant size, the median time from
// queueing one "ENQ:DEVINFO" until every device is in the table, and how many runs lost an answer.
// Usage: qdv70discbench [runs]

#include "discovery/NetworkDeviceTable.h"
#include "discovery/TRpu16.h"
#include "sim/DiscoveryResponder.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QUdpSocket>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace qdv;

namespace {

constexpr int kWaitMs = 5000;

quint16 FreeUdpPort() {
    QUdpSocket s;
    s.bind(QHostAddress::AnyIPv4, 0);
    return s.localPort();
}

// One search request against `devices` simulated devices: milliseconds until all are in the table,
// or -1 when some never arrived.
double OneRun(int devices) {
    const quint16 port = FreeUdpPort();
    sim::DiscoveryResponder responder(
        sim::DiscoveryResponder::Generated(devices, QStringLiteral("127.0.0.1")));
    QString error;
    if (!responder.Listen(QHostAddress(QStringLiteral("127.255.255.255")), port, &error))
        return -1;
    NetworkDeviceTable table;
    DiscoverySettings settings;
    settings.port = port;
    settings.broadcast = QStringLiteral("127.255.255.255");
    settings.broadcastGiven = true;
    TRpu16 worker(table, settings);
    worker.Start();
    QDeadlineTimer started(kWaitMs);
    while (!worker.Started() && !started.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    QElapsedTimer t;
    t.start();
    worker.QueueRequest(NetworkDeviceTable::kNoEntry, 1);
    QDeadlineTimer deadline(kWaitMs);
    while (table.Count() < devices && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    const double ms = static_cast<double>(t.nsecsElapsed()) / 1e6;
    return table.Count() == devices ? ms : -1;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    std::printf("%-10s %12s %10s\n", "devices", "median ms", "lost runs");
    for (const int devices : {1, 50, 200, 256}) {
        std::vector<double> times;
        int lost = 0;
        for (int r = 0; r < runs; ++r) {
            const double ms = OneRun(devices);
            if (ms < 0)
                ++lost;
            else
                times.push_back(ms);
        }
        std::sort(times.begin(), times.end());
        const double median = times.empty() ? 0 : times[times.size() / 2];
        std::printf("%-10d %12.1f %10d\n", devices, median, lost);
    }
    return 0;
}
