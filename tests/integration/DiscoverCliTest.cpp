#include "support/SimProcess.h"
#include "support/TestFolder.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QSet>
#include <QUdpSocket>
#include <gtest/gtest.h>

using namespace qdv::test;

namespace {

// A burst of 300 answers: the first 256 devices are listed, each once with its fields, the rest counted.
TEST(DiscoverCli, aBurstOfDevicesIsListedWithTheirFieldsUpTo256) {
    SimProcess sim(SimProcess::DiscoveryOnly{}, {"--devices", "300"});
    ASSERT_TRUE(sim.Ok());
    TestFolder home;
    WriteDiscoveryHome(home.Path(), sim.Port());
    const CliRun run = RunCli({"--home", home.Path(), "discover", "--seconds", "2", "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("44 more devices answered")) << run.err.toStdString();
    const QJsonArray list = run.Json().array();
    ASSERT_EQ(list.size(), 256) << run.out.left(200).toStdString();
    QSet<QString> macs;
    for (const QJsonValue& v : list)
        macs.insert(v.toObject().value("mac").toString());
    EXPECT_EQ(macs.size(), 256);

    const QJsonObject first = list.first().toObject();
    EXPECT_EQ(first.size(), 25); // mac, status and the 23 fields
    EXPECT_EQ(first.value("status").toInt(-1), 0);
    EXPECT_EQ(first.value("optip").toString(), "127.0.0.1");
    EXPECT_EQ(first.value("name").toString(), "Station " + first.value("zebuid").toString());
    EXPECT_EQ(first.value("mask").toString(), "255.0.0.0");
    EXPECT_FALSE(first.value("model").toString().isEmpty());
}

TEST(DiscoverCli, failuresAndUsageErrors_exitWithTheirStatus) {
    QUdpSocket holder; // takes a port without sharing it
    ASSERT_TRUE(holder.bind(QHostAddress::AnyIPv4, 0, QAbstractSocket::DontShareAddress));
    QUdpSocket spare;
    ASSERT_TRUE(spare.bind(QHostAddress::AnyIPv4, 0));
    const quint16 freePort = spare.localPort();
    spare.close();

    // Unknown options and words too many are the command parser's, whose own test holds them.
    const QString loopback = "127.255.255.255";
    const struct {
        const char* name;
        quint16 port;
        QString broadcast;
        QStringList args;
        int exitCode;
        const char* stderrSays;
    } cases[] = {
        {"port taken", holder.localPort(), loopback, {}, 1, "bind() error"},
        {"bad broadcast", freePort, "not-an-address", {}, 1, "BROADCAST"},
        {"nobody answers", freePort, loopback, {"--seconds", "1", "--json"}, 0, "no device answered"},
        {"zero seconds", freePort, loopback, {"--seconds", "0"}, 2, "--seconds"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestFolder home;
        WriteDiscoveryHome(home.Path(), c.port, c.broadcast);
        const CliRun run = RunCli(QStringList{"--home", home.Path(), "discover"} + c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(c.stderrSays)) << run.err.toStdString();
        if (c.exitCode == 0) {
            EXPECT_EQ(run.out.trimmed(), "[\n]");
        }
    }
}

} // namespace
