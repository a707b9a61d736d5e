#include "EndToEnd.h"
#include "convert/DescriptionTable.h"
#include "store/DataFileSet.h"
#include "store/DataImage.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QSet>
#include <QUdpSocket>
#include <gtest/gtest.h>

namespace qdv::test {
namespace {

// The sample plant with data files for stations 5, 9 and 12, of which 9 is disabled and 12 silent.
struct Stations : EndToEnd {
    explicit Stations(Carrier carrier = Carrier::Tcp, const QStringList& faults = {})
        : EndToEnd(faults, carrier, {"--disabled-station", "9", "--silent-station", "12"}) {
        const int size = datafiles::Entry(datafiles::kStationDat).imageSize;
        for (const int s : {5, 9, 12})
            device.Write(datafiles::FileName(datafiles::kStationDat, s),
                         image::Encode(QByteArray(size, char(s))));
    }
};

TEST(StationCommands, receiveAndSendOverTheLanEachStationWithItsResult) {
    Stations e;
    e.pc.Write("backup/ZEBU_009.DAT", "kept\r\n");
    EXPECT_EQ(e.Cli({"receive", "secondary"}).exitCode, 2) << "nothing checked";
    ASSERT_EQ(e.Cli({"stations", "check", "5,9,12"}).exitCode, 0);
    EXPECT_EQ(e.Cli({"stations"}).Lines(), (QStringList{"005\t1\t0\t\t", "009\t1\t0\t\t", "012\t1\t0\t\t"}));
    const CliRun r = e.Cli({"receive", "secondary"});
    EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
    EXPECT_EQ(r.Lines(), (QStringList{"005\tOK", "009\tNG(Disable Station)", "012\tNG(Timeout)"}));
    EXPECT_EQ(e.Pc("ZEBU_005.DAT"), e.Device("ZEBU_005.DAT"));
    EXPECT_EQ(e.Pc("ZEBU_009.DAT"), "kept\r\n");
    EXPECT_EQ(e.WorkFiles(), 0);
    // The run is a snapshot of the backup folder naming the stations' files it could not store.
    const QJsonArray log = e.Cli({"history", "--json"}).Json().array();
    ASSERT_FALSE(log.isEmpty());
    EXPECT_EQ(log[0]["job"].toString(), "Receive Secondary");
    EXPECT_EQ(log[0]["failedFiles"].toArray(), (QJsonArray{"ZEBU_009.DAT", "ZEBU_012.DAT"}));
    EXPECT_TRUE(log[0]["changedFiles"].toArray().contains("ZEBU_005.DAT"));

    const QByteArray changed =
        image::Encode(QByteArray(datafiles::Entry(datafiles::kStationDat).imageSize, 'x'));
    e.pc.Write("backup/ZEBU_005.DAT", changed);
    const CliRun sent = e.Cli({"send", "secondary", "--stations", "5"});
    EXPECT_EQ(sent.exitCode, 0) << sent.err.toStdString();
    EXPECT_EQ(sent.Lines(), QStringList{"005\tOK"});
    EXPECT_EQ(e.Device("ZEBU_005.DAT"), changed);
    EXPECT_EQ(e.Cli({"send", "secondary", "--stations", "1"}).exitCode, 2);

    // Names arrive complete at one station and by broadcast.
    e.pc.Write("backup/Name/ZEBU_NME.DAU", e.Device("Name/ZEBU_NME.DAU"));
    for (int k = 1; k <= 7; ++k)
        e.pc.Write("backup/Name/" + datafiles::AliasFileName(k),
                   e.Device("Name/" + datafiles::AliasFileName(k)));
    const CliRun one = e.Cli({"send", "description-to-secondary", "--station", "7"});
    EXPECT_EQ(one.exitCode, 0) << one.err.toStdString();
    DescriptionTable names;
    ASSERT_TRUE(names.LoadDau(e.Pc("Name/ZEBU_NME.DAU")));
    EXPECT_EQ(e.Device("ZEBU_007/Name/DESCRIPTION.DAU"), image::Encode(names.Image()));

    // The engine's test holds every file of a broadcast; here the option names station 255.
    const CliRun all = e.Cli({"send", "alias-to-secondary", "--broadcast"});
    EXPECT_EQ(all.exitCode, 0) << all.err.toStdString();
    EXPECT_EQ(e.Device("ZEBU_255/Name/ZEBU_ALS7.DAU"), e.Pc("Name/ZEBU_ALS7.DAU"));

    const CliRun disabled = e.Cli({"send", "description-to-secondary", "--station", "9"});
    EXPECT_EQ(disabled.exitCode, 1);
    EXPECT_TRUE(disabled.err.contains("Error(Receive abort command.)")) << disabled.err.toStdString();

    e.pc.Write("backup/Name/ZEBU_NME.DAU", "short\r\n");
    const CliRun refused = e.Cli({"send", "description-to-secondary", "--station", "7"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains("Error(File size.)")) << refused.err.toStdString();
    EXPECT_EQ(e.Cli({"send", "alias-to-secondary"}).exitCode, 2) << "neither --station nor --broadcast";
}

// A serial run stops at the first failure and fails every station still to come; on the LAN each station
// has a connection of its own and a line lost in the middle of a station's file ends only that station.
TEST(StationCommands, aSerialRunStopsAtTheFirstFailureALanRunGoesOn) {
    using C = EndToEnd::Carrier;
    const struct {
        C carrier;
        QStringList faults;
        const char* stations;
        QStringList lines;
    } cases[] = {
        {C::Serial, {}, "5,9-12", {"005\tOK", "009\tNG(Disable Station)", "010\tNG", "011\tNG", "012\tNG"}},
        {C::Serial, {"drop-line"}, "2-4", {"002\tNG", "003\tNG", "004\tNG"}},
        {C::Tcp, {"drop-line"}, "2-4", {"002\tNG", "003\tOK", "004\tOK"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lines.join(' ').toStdString());
        Stations e(c.carrier, c.faults);
        const CliRun r = e.Cli({"receive", "secondary", "--stations", c.stations});
        EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
        EXPECT_EQ(r.Lines(), c.lines);
        EXPECT_EQ(e.Pc("ZEBU_004.DAT") == e.Device("ZEBU_004.DAT"), c.lines.contains("004\tOK"));
    }
}

// The station menu and the check menu fill the saved list. On a LAN setup the menu is followed by a device
// search: the devices of this primary name their stations by their model, a device of another primary is
// left out.
TEST(StationCommands, stationMenuAndCheckMenuFillTheSavedListWithTheDevicesFound) {
    EndToEnd e({}, EndToEnd::Carrier::Tcp,
               {"--discovery", "0", "--devices", "0", "--device",
                "ZEBUID:2,MODEL:Desk Panel,NAME:Left of the desk,IPADRM:127.0.0.22", "--device",
                "ZEBUID:3,MODEL:Elsewhere,IPADRM:127.0.0.33,OPTIP:127.0.9.1"});
    ASSERT_NE(e.sim->DiscoveryPort(), 0);
    WriteDiscoveryHome(e.pc.FilePath("home"), e.sim->DiscoveryPort());
    e.pc.Write("home/Device/DeviceInfo.txt", "1,Panel,n\r\n");
    const CliRun noStd = e.Cli({"stations", "check", "all"});
    EXPECT_EQ(noStd.exitCode, 1);
    EXPECT_TRUE(noStd.err.contains("ZEBU_STD.DAU doesn't exist.")) << noStd.err.toStdString();

    const CliRun menu = e.Cli({"stations", "menu", "--search-seconds", "0"});
    EXPECT_EQ(menu.exitCode, 0) << menu.err.toStdString();
    const QStringList listed = e.Cli({"stations"}).Lines();
    EXPECT_EQ(listed.value(0), "002\t1\t1\tPanel\t");
    EXPECT_TRUE(e.pc.Read("backup/ZEBU_SEC_LIST.dat").contains("2,1,0,0x01,Panel,,\r\n"));

    EXPECT_EQ(e.Cli({"stations", "uncheck", "2"}).exitCode, 0);
    EXPECT_TRUE(e.Cli({"stations"}).Lines().contains("002\t0\t1\tPanel\t"));
    EXPECT_EQ(e.Cli({"stations", "check", "clear"}).exitCode, 0);
    e.pc.Write("backup/Primary/ZEBU_STD.DAU", e.Device("Primary/ZEBU_STD.DAU"));
    EXPECT_EQ(e.Cli({"stations", "check", "device"}).exitCode, 0);
    EXPECT_EQ(e.Cli({"stations"}).Lines(), listed);

    const CliRun search = e.Cli({"stations", "menu", "--search-seconds", "2"});
    EXPECT_EQ(search.exitCode, 0) << search.err.toStdString();
    EXPECT_TRUE(search.err.contains("1 station named by the devices found")) << search.err.toStdString();
    const QStringList named = e.Cli({"stations"}).Lines();
    EXPECT_EQ(named.value(0), "002\t1\t1\tDesk Panel\t127.0.0.22");
    EXPECT_FALSE(named.join('\n').contains("Elsewhere"));
}

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
} // namespace qdv::test
