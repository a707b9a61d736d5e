#include "EndToEnd.h"
#include "app/TtskCtrl.h"
#include "convert/TmTableRemote.h"
#include "link/StationTables.h"
#include "link/StatusBlock.h"
#include "link/TcpTransport.h"
#include "link/TransferJobs.h"
#include "store/TmFile.h"
#include "support/TestFolder.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace qdv::test {
namespace {

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
    ASSERT_TRUE(WaitFor([&] { return transport.LineUp() && server.hasPendingConnections(); }, 5000));
    int noDelay = 0;
    socklen_t length = sizeof noDelay;
    ASSERT_EQ(::getsockopt(transport.SocketDescriptor(), IPPROTO_TCP, TCP_NODELAY, &noDelay, &length), 0);
    EXPECT_NE(noDelay, 0);

    QTcpSocket* device = server.nextPendingConnection();
    transport.SetAccept(true);
    EXPECT_TRUE(transport.Send("\x17"));
    device->write(":00000100000000FF\r\n");
    QByteArray got;
    ASSERT_TRUE(WaitFor(
        [&] {
            char buf[64];
            got += QByteArray(buf, static_cast<int>(transport.Read(buf, sizeof buf)));
            return got.size() == 19 && device->bytesAvailable() == 1;
        },
        5000));
    EXPECT_EQ(got, ":00000100000000FF\r\n");
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
    ASSERT_TRUE(WaitFor([&] { return control.Ready(); }, 5000));
    // A send of a Description the PC does not have queues nothing: the job ends at once.
    for (int job = 1; job <= 2; ++job) {
        ASSERT_TRUE(control.StartJob(1, kJobDescription));
        ASSERT_TRUE(WaitFor([&] { return ended == job; }, 5000));
        EXPECT_FALSE(status.busy);
    }
    WaitFor([] { return false; }, 50);
    EXPECT_EQ(ended, 2);
}

} // namespace
} // namespace qdv::test
