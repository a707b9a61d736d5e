#include "support/SimProcess.h"
#include "support/TestFolder.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QUdpSocket>
#include <gtest/gtest.h>

using namespace qdv::test;

namespace {

const QHostAddress kLoopbackBroadcast(QStringLiteral("127.255.255.255"));

QJsonArray ParseArray(const QString& out) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(out.toUtf8(), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << out.left(200).toStdString();
    EXPECT_TRUE(doc.isArray());
    return doc.array();
}

TEST(DiscoverCli, everyDeviceOfABurstIsListedWithItsFields) {
    struct Case {
        int devices;
        int listed;
        const char* stderrSays;
    };
    const Case cases[] = {{200, 200, ""}, {300, 256, "44 more devices answered"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.devices);
        SimProcess sim(SimProcess::DiscoveryOnly{}, {"--devices", QString::number(c.devices)});
        ASSERT_TRUE(sim.Ok());
        TestFolder home;
        WriteDiscoveryHome(home.Path(), sim.Port());
        const CliRun run = RunCli({"--home", home.Path(), "discover", "--seconds", "2", "--json"});
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(c.stderrSays)) << run.err.toStdString();
        const QJsonArray list = ParseArray(run.out);
        ASSERT_EQ(list.size(), c.listed);
        QSet<QString> macs;
        for (const QJsonValue& v : list)
            macs.insert(v.toObject().value("mac").toString());
        EXPECT_EQ(macs.size(), c.listed);

        const QJsonObject first = list.first().toObject();
        EXPECT_EQ(first.size(), 25); // mac, status and the 23 fields
        EXPECT_EQ(first.value("status").toInt(-1), 0);
        EXPECT_EQ(first.value("optip").toString(), "127.0.0.1");
        const QString id = first.value("zebuid").toString();
        EXPECT_EQ(first.value("name").toString(), "Station " + id);
        EXPECT_EQ(first.value("mask").toString(), "255.0.0.0");
        EXPECT_FALSE(first.value("model").toString().isEmpty());
    }
}

// The test plays one device: it records the requests the tool broadcasts and answers with malformed
// datagrams beside one good answer.
TEST(DiscoverCli, sendsTheExactRequestsAndIgnoresMalformedAnswers) {
    QUdpSocket device;
    ASSERT_TRUE(device.bind(kLoopbackBroadcast, 0,
                            QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint));
    const quint16 port = device.localPort();
    TestFolder home;
    WriteDiscoveryHome(home.Path(), port);

    QProcess cli;
    ASSERT_TRUE(StartCli(cli, {"--home", home.Path(), "discover", "--seconds", "1", "--json"}));

    const QByteArray good = "\x02MAC 0A-0B-0C-0D-0E-0F NAME:Good\xFF";
    const QByteArray malformed[] = {
        "\x02MAC 0A-0B-0C-0D-0E-1",               // 23 bytes
        "XMAC 0A-0B-0C-0D-0E-10 NAME:No STX\xFF", // no STX
        "\x02"
        "FOO 0A-0B-0C-0D-0E-11 NAME:Unknown type\xFF", // neither MAC, ACK nor NAK
    };
    QList<QByteArray> requests;
    while (cli.state() != QProcess::NotRunning && requests.size() < 6) {
        if (!device.waitForReadyRead(100))
            continue;
        while (device.hasPendingDatagrams()) {
            QHostAddress from;
            quint16 fromPort = 0;
            QByteArray d(int(device.pendingDatagramSize()), '\0');
            device.readDatagram(d.data(), d.size(), &from, &fromPort);
            requests << d;
            for (const QByteArray& m : malformed)
                device.writeDatagram(m, from, fromPort);
            device.writeDatagram(good, from, fromPort);
        }
    }
    ASSERT_TRUE(cli.waitForFinished(60000));
    EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    const QByteArray network("\x02"
                             "ENQ:NETWORK\xFF\x03",
                             14);
    const QByteArray devinfo("\x02"
                             "ENQ:DEVINFO\xFF\x03",
                             14);
    EXPECT_EQ(requests, (QList<QByteArray>{network, devinfo, network, devinfo, network, devinfo}));
    const QJsonArray list = ParseArray(QString::fromUtf8(cli.readAllStandardOutput()));
    ASSERT_EQ(list.size(), 1);
    EXPECT_EQ(list.first().toObject().value("mac").toString(), "0A-0B-0C-0D-0E-0F");
    EXPECT_EQ(list.first().toObject().value("name").toString(), "Good");
}

TEST(DiscoverCli, failuresAndUsageErrors_exitWithTheirStatus) {
    QUdpSocket holder; // takes a port without sharing it
    ASSERT_TRUE(holder.bind(QHostAddress::AnyIPv4, 0, QAbstractSocket::DontShareAddress));
    QUdpSocket spare;
    ASSERT_TRUE(spare.bind(QHostAddress::AnyIPv4, 0));
    const quint16 freePort = spare.localPort();
    spare.close();

    struct Case {
        const char* name;
        quint16 port;
        QString broadcast;
        QStringList args;
        int exitCode;
        const char* stderrSays;
    };
    const Case cases[] = {
        {"port taken", holder.localPort(), "127.255.255.255", {}, 1, "bind() error"},
        {"bad broadcast", freePort, "not-an-address", {}, 1, "BROADCAST"},
        {"nobody answers",
         freePort,
         "127.255.255.255",
         {"--seconds", "1", "--json"},
         0,
         "no device answered"},
        {"zero seconds", freePort, "127.255.255.255", {"--seconds", "0"}, 2, "--seconds"},
        {"unknown option", freePort, "127.255.255.255", {"--fast"}, 2, "fast"},
        {"extra word", freePort, "127.255.255.255", {"now"}, 2, "now"},
    };
    for (const Case& c : cases) {
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
