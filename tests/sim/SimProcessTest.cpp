#include "link/Record.h"
#include "support/TestFolder.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTcpSocket>
#include <gtest/gtest.h>

namespace qdv::sim::test {
namespace {

constexpr int kWaitMs = 5000;

class SimProcessTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "test_sim_process";
        static char* argv[] = {name, nullptr};
        static QCoreApplication app(argc, argv);
    }
};

TEST_F(SimProcessTest, listensOnAFreePortAndAnswersTheAttentionWithReady) {
    qdv::test::TestFolder dir;
    QProcess sim;
    sim.start(QStringLiteral(QDV70SIM_PATH), {"--data", dir.Path(), "--tcp", "0"});
    ASSERT_TRUE(sim.waitForStarted(kWaitMs));
    while (!sim.canReadLine() && sim.waitForReadyRead(kWaitMs)) {
    }
    const QString line = QString::fromUtf8(sim.readLine()).trimmed();
    ASSERT_TRUE(line.startsWith(QStringLiteral("qdv70sim listening on 127.0.0.1:"))) << line.toStdString();
    const quint16 port = line.section(QLatin1Char(':'), -1).toUShort();

    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), port);
    ASSERT_TRUE(socket.waitForConnected(kWaitMs));
    socket.write(record::AttentionSequence().toByteArray());
    QByteArray answer;
    while (answer.size() < record::kMinLength && socket.waitForReadyRead(kWaitMs))
        answer += socket.readAll();
    EXPECT_EQ(answer, record::FixedRecord(record::Fixed::Ready));
    socket.close();

    sim.terminate();
    ASSERT_TRUE(sim.waitForFinished(kWaitMs));
    EXPECT_EQ(sim.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(sim.exitCode(), 0);
}

TEST_F(SimProcessTest, unknownFaultIsAUsageErrorNamingTheFaults) {
    qdv::test::TestFolder dir;
    QProcess sim;
    sim.start(QStringLiteral(QDV70SIM_PATH), {"--data", dir.Path(), "--tcp", "0", "--fault", "nak-thrice"});
    ASSERT_TRUE(sim.waitForFinished(kWaitMs));
    EXPECT_EQ(sim.exitCode(), 2);
    const QByteArray err = sim.readAllStandardError();
    EXPECT_TRUE(err.contains("nak-thrice")) << err.constData();
    EXPECT_TRUE(err.contains("bad-checksum-twice")) << err.constData();
}

} // namespace
} // namespace qdv::sim::test
