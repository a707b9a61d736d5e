#include "EndToEnd.h"
#include "app/TtskCtrl.h"
#include "convert/TmTableRemote.h"
#include "history/BackupHistory.h"
#include "link/StationTables.h"
#include "link/StatusBlock.h"
#include "link/TcpTransport.h"
#include "store/DataImage.h"
#include "support/HangingRemote.h"
#include "support/TestFolder.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace qdv::test {
namespace {

constexpr int kWaitMs = 30000; // generous: the machine may be loaded

// Records are answered one by one: the data socket must send each at once, not hold a small one back
// until the device has acknowledged the one before (which it does only after a delay of its own).
TEST(TcpTransport, dataSocketSendsSmallWritesAtOnce) {
    EnsureCoreApplication();
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    TcpTransport transport;
    LinkTarget target;
    target.host = QStringLiteral("127.0.0.1");
    target.port = server.serverPort();
    ASSERT_TRUE(transport.Open(target));
    ASSERT_TRUE(QTest::qWaitFor([&] { return transport.LineUp() && server.hasPendingConnections(); }, 5000));
    int noDelay = 0;
    socklen_t length = sizeof noDelay;
    ASSERT_EQ(::getsockopt(transport.SocketDescriptor(), IPPROTO_TCP, TCP_NODELAY, &noDelay, &length), 0);
    EXPECT_NE(noDelay, 0);
    transport.Close();
}

// The task controller says when a job it started has ended, so that its caller need not poll for it;
// once per job.
TEST(TaskController, tellsOnceWhenAJobHasEnded) {
    EnsureCoreApplication();
    TestFolder pc;
    SetupRecord setup;
    setup.name = "Empty";
    setup.SetBackupDataPath(pc.FilePath("backup"));
    setup.selectLan = true;
    setup.ipAddress = "127.0.0.1";
    setup.remote3Port = 1;
    PortSettings ports;
    StatusBlock status;
    StationTables stations;
    TmTableRemote resolver;
    TmFile files(pc.FilePath("home"));
    TtskCtrl control(TtskCtrl::kLinkEngine, status, stations, resolver, files, ports, [&] { return setup; });
    int ended = 0;
    QObject::connect(&control, &TtskCtrl::JobEnded, [&] { ++ended; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return control.Ready(); }, 5000));
    // A send of a Description the PC does not have queues nothing: the job ends at once.
    for (int job = 1; job <= 2; ++job) {
        ASSERT_TRUE(control.StartJob(Direction::Send, kJobDescription));
        ASSERT_TRUE(QTest::qWaitFor([&] { return ended == job; }, 5000));
        EXPECT_FALSE(status.busy);
    }
    QTest::qWait(50);
    EXPECT_EQ(ended, 2);
}

// A home whose one setup has a Primary ZEBU_STD.DAU, with `comm` in its QDV70COMM.INI.
void WritePlantHome(const TestFolder& folder, const QString& comm) {
    QByteArray std(16384, '\0');
    std[8191] = 'e';
    folder.Write("backup/Primary/ZEBU_STD.DAU", image::Encode(std));
    WriteLanHome(folder.FilePath("home"), folder.FilePath("backup"), 1, 255, comm);
}

bool Listens(int port) {
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), static_cast<quint16>(port));
    return socket.waitForConnected(kWaitMs);
}

// The desktop program asks its task controller for everything; the controller makes the SOAP services
// in its service stage when [SOAP] ENABLE=1 and stops them when it is destroyed at shutdown.
TEST(TaskControllerServices, startedByTheControllerAndStoppedAtShutdown) {
    EnsureCoreApplication();
    for (const bool enable : {true, false}) {
        SCOPED_TRACE(enable ? "ENABLE=1" : "ENABLE=0");
        TestFolder folder;
        WritePlantHome(folder,
                       QStringLiteral("[SOAP]\nENABLE=%1\nBIND=127.0.0.1\nDEVICEINFO=0\nPRIMARYSTATION=0\n")
                           .arg(enable ? 1 : 0));
        StatusBlock status;
        StationTables stations;
        TmTableRemote resolver;
        TmFile files(folder.FilePath("home"));
        PortSettings ports;
        int deviceInfo = 0, primaryStation = 0;
        {
            TtskCtrl control(TtskCtrl::kAll, status, stations, resolver, files, ports,
                             [] { return SetupRecord(); });
            ASSERT_TRUE(QTest::qWaitFor([&] { return control.Ready(); }, kWaitMs));
            if (!enable) {
                EXPECT_EQ(control.Hosted(), nullptr);
                continue;
            }
            ASSERT_NE(control.Hosted(), nullptr);
            deviceInfo = control.Hosted()->DeviceInfoPort();
            primaryStation = control.Hosted()->PrimaryStationPort();
            const QByteArray answer =
                PostSoap(deviceInfo, "<GetInfoReq xmlns=\"http://switcher.example/pro/switcher/"
                                     "deviceinfo/configurationservice\"/>");
            EXPECT_TRUE(answer.startsWith("HTTP/1.1 200")) << answer.toStdString();
            EXPECT_TRUE(answer.contains("KMC-1000(P)")) << answer.toStdString();
            EXPECT_TRUE(Listens(primaryStation));
        }
        EXPECT_FALSE(Listens(deviceInfo));
        EXPECT_FALSE(Listens(primaryStation));
    }
}

// A client's write-back is recorded in the history on the services' own thread: a push to a remote that
// never answers does not hold up the thread that made the services (the window's, in the desktop program).
TEST(HostedServices, aHangingHistoryPushHoldsUpNotTheThreadThatMadeThem) {
    EnsureCoreApplication();
    TestFolder folder;
    WritePlantHome(folder, {});
    const LoopbackServices s(folder.FilePath("home"));
    HangingRemote remote;
    history::BackupHistory::Configure({remote.Url()});
    const QByteArray answer = s.SetTypeName();
    EXPECT_TRUE(answer.contains(">OK<")) << answer.toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return remote.Taken(); }, kWaitMs));
    EXPECT_FALSE(remote.Closed()) << "the snapshot's push held up this thread";
    remote.Release();
}

} // namespace
} // namespace qdv::test
