#include "discovery/DiscoveryWorker.h"
#include "DiscoveryAnswers.h"
#include "discovery/NetworkDeviceTable.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QNetworkDatagram>
#include <QThread>
#include <QUdpSocket>
#include <gtest/gtest.h>

using namespace qdv;

namespace {

const QHostAddress kBroadcast(QStringLiteral("127.255.255.255"));

// A device on loopback: bound to the loopback broadcast address, so it hears the requests but not
// the answers sent to 127.0.0.1.
struct Device {
    QUdpSocket socket;
    explicit Device(quint16 port) {
        EXPECT_TRUE(
            socket.bind(kBroadcast, port, QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint));
    }
    QByteArray Receive() {
        if (!socket.hasPendingDatagrams() && !socket.waitForReadyRead(10000))
            return {};
        return socket.receiveDatagram().data();
    }
};

// Every test starts here; the first makes the application object that sockets want for their notifiers.
quint16 FreeUdpPort() {
    static int argc = 1;
    static char name[] = "test_discovery_udp";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr)
        new QCoreApplication(argc, argv);
    QUdpSocket s;
    s.bind(QHostAddress::AnyIPv4, 0);
    return s.localPort();
}

DiscoverySettings Loopback(quint16 port) {
    DiscoverySettings s;
    s.port = port;
    s.broadcast = kBroadcast.toString();
    s.broadcastGiven = true;
    return s;
}

TEST(DiscoveryWorker, sendsTheExactRequestsToTheConfiguredAddressAndTakesEveryAnswer) {
    const quint16 port = FreeUdpPort();
    Device device(port);
    NetworkDeviceTable table;
    DiscoveryWorker worker(table, Loopback(port));
    worker.Queue(0);
    worker.Queue(1);
    worker.Tick(); // opens and sends the first
    ASSERT_EQ(worker.SocketState(), DiscoveryWorker::kOpen) << worker.LastError().toStdString();
    EXPECT_EQ(worker.Targets(), QList<QHostAddress>{kBroadcast});
    EXPECT_EQ(device.Receive(), QByteArray("\x02"
                                           "ENQ:NETWORK\xFF\x03"));
    worker.Tick();
    EXPECT_EQ(device.Receive(), QByteArray("\x02"
                                           "ENQ:DEVINFO\xFF\x03"));

    // A burst of answers bigger than any one-per-tick reader could hold, and one oversized datagram.
    for (int n = 0; n < 200; ++n)
        device.socket.writeDatagram(
            test::DiscoveryAnswer("MAC", test::TestMac(n), {"NAME:" + QByteArray(200, 'n')}),
            QHostAddress::LocalHost, port);
    device.socket.writeDatagram(
        test::DiscoveryAnswer("MAC", test::TestMac(999), {"LOC:" + QByteArray(600, 'x')}),
        QHostAddress::LocalHost, port);
    QDeadlineTimer deadline(10000);
    while (table.Count() < 201 && !deadline.hasExpired()) {
        worker.Drain();
        QThread::msleep(1);
    }
    ASSERT_EQ(table.Count(), 201);
    EXPECT_EQ(table.Device(200)->Value(DeviceField::Loc), ""); // cut at 512 bytes, its item lost its 0xFF
}

TEST(DiscoveryWorker, portTaken_failsThenReopensAfter120TicksKeepingTheQueue) {
    const quint16 port = FreeUdpPort();
    auto holder = std::make_unique<QUdpSocket>();
    ASSERT_TRUE(holder->bind(QHostAddress::AnyIPv4, port, QAbstractSocket::DontShareAddress));
    NetworkDeviceTable table;
    DiscoveryWorker worker(table, Loopback(port));
    worker.Queue(0);
    worker.Tick();
    EXPECT_EQ(worker.SocketState(), DiscoveryWorker::kFailed);
    holder.reset();
    Device device(port);
    for (int i = 1; i < DiscoveryWorker::kRetryTicks; ++i)
        worker.Tick();
    EXPECT_EQ(worker.SocketState(), DiscoveryWorker::kFailed);
    worker.Tick();
    EXPECT_EQ(worker.SocketState(), DiscoveryWorker::kOpen);
    worker.Tick(); // the request queued before the failure goes now
    EXPECT_EQ(device.Receive(), QByteArray("\x02"
                                           "ENQ:NETWORK\xFF\x03"));
}

} // namespace
