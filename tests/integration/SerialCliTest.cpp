#include "EndToEnd.h"
#include "app/TtskCtrl.h"
#include "convert/TmTableRemote.h"
#include "link/StationTables.h"
#include "link/StatusBlock.h"
#include "link/TransferJobs.h"
#include "sim/SampleDataSet.h"
#include "store/TmFile.h"
#include "support/TestFolder.h"

#include <QFile>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <functional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qdv::test {
namespace {

// The sample plant on a simulator serving a pseudo terminal, and a PC home whose setup uses it as COM1.
struct SerialEndToEnd : EndToEnd {
    explicit SerialEndToEnd(const QStringList& faults = {}) : EndToEnd(faults, Carrier::Serial) {}
};

TEST(CliOverSerialLine, everyKindTravelsByteForByteBothWays) {
    SerialEndToEnd e;
    const struct {
        const char* kind;
        QStringList files;
        // Changes the PC's copy or the device's, so that only a working send makes them equal again.
        std::function<void(SerialEndToEnd&)> change;
    } kinds[] = {
        {"description",
         {"Name/ZEBU_NME.DAU"},
         [](SerialEndToEnd& x) {
             QByteArray nme = x.Pc("Name/ZEBU_NME.DAU");
             x.pc.Write("backup/Name/ZEBU_NME.DAU", nme.replace(0, 8, "41424344"));
         }},
        {"crosspoint",
         {"XPoint/ZEBU_XPT.DAU"},
         [](SerialEndToEnd& x) { x.device.Write("XPoint/ZEBU_XPT.DAU", ""); }},
        {"primary",
         {"Primary/ZEBU_STD.DAU", "Primary/ZEBU_TLN.DAU", "Primary/ZEBU_GPH.DAU", "Primary/ZEBU_LVG.DAU",
          "Primary/ZEBU_INH.DAU", "Primary/ZEBU_SGP.DAU", "Primary/ZEBU_422.DAU", "Primary/ZEBU_IDX.DAU"},
         [](SerialEndToEnd& x) {
             QByteArray idx = x.Pc("Primary/ZEBU_IDX.DAU");
             x.pc.Write("backup/Primary/ZEBU_IDX.DAU", idx.replace(258, 4, "BEEF"));
         }},
    };
    for (const auto& k : kinds) {
        const CliRun received = e.Cli({"receive", k.kind});
        EXPECT_EQ(received.exitCode, 0) << k.kind << received.err.toStdString();
        for (const QString& f : k.files)
            EXPECT_EQ(e.Pc(f), e.Device(f)) << f.toStdString();
        k.change(e);
        const CliRun sent = e.Cli({"send", k.kind});
        EXPECT_EQ(sent.exitCode, 0) << k.kind << sent.err.toStdString();
        for (const QString& f : k.files)
            EXPECT_EQ(e.Device(f), e.Pc(f)) << f.toStdString();
    }
    EXPECT_EQ(e.WorkFiles(), 0);
}

TEST(CliOverSerialLine, faultsOfTheDeviceEndWithTheirMessages) {
    const struct {
        const char* fault;
        QStringList job;
        int exitCode;
        const char* message;
        bool lasting; // the fault stays for the next job too
    } cases[] = {
        {"nak-twice", {"send", "description"}, 1, "Time-out(Cannot receive ACK.)", false},
        {"bad-checksum-once", {"receive", "description"}, 0, "", false},
        // Four seconds: the record receiver waits twice for the rest of a record.
        {"stall", {"receive", "description"}, 1, "Time-out(Cannot receive packet data.)", false},
        // The device vanishes in the middle of a file: its end of the line closes.
        {"drop-line", {"receive", "primary"}, 1, "Error(Communication line.)", false},
        // Twenty seconds: two READY waits.
        {"no-ready", {"receive", "primary"}, 1, "Time-out(Cannot receive READY.)", true},
    };
    for (const auto& c : cases) {
        SerialEndToEnd e({c.fault});
        const QByteArray before = "unchanged\r\n";
        e.pc.Write("backup/Name/ZEBU_NME.DAU",
                   c.job.front() == "send" ? e.Device("Name/ZEBU_NME.DAU") : before);
        e.pc.Write("backup/Primary/ZEBU_STD.DAU", before);
        const CliRun r = e.Cli(c.job);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.fault << " " << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromLatin1(c.message))) << c.fault << " " << r.err.toStdString();
        if (c.exitCode != 0 && c.job.front() == "receive") {
            EXPECT_EQ(e.Pc("Primary/ZEBU_STD.DAU"), before) << c.fault;
        }
        EXPECT_EQ(e.WorkFiles(), 0) << c.fault;
        if (c.lasting)
            continue;
        // Whatever happened, the line serves the next job.
        const CliRun next = e.Cli({"receive", "description"});
        EXPECT_EQ(next.exitCode, 0) << c.fault << " then " << next.err.toStdString();
    }
}

TEST(CliOverSerialLine, portsThatCannotBeOpenedEndWith300AndTheReason) {
    SerialEndToEnd e;
    // Another program that locks the port has it.
    const int holder = ::open(QFile::encodeName(e.SerialLink()).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    const CliRun busy = e.Cli({"receive", "description"});
    ::close(holder);
    EXPECT_EQ(busy.exitCode, 1);
    EXPECT_TRUE(busy.err.contains("The communication port was not opened.")) << busy.err.toStdString();
    EXPECT_TRUE(busy.err.contains("ZEBU_NME.DAU: failed after 0 bytes: ")) << busy.err.toStdString();
    EXPECT_TRUE(busy.err.contains("Device or resource busy")) << busy.err.toStdString();
    EXPECT_FALSE(busy.err.contains("dialout"));

    WriteSerialHome(e.pc.FilePath("home"), e.pc.FilePath("backup"), e.pc.FilePath("ttyGone"));
    const CliRun missing = e.Cli({"receive", "description"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains("The communication port was not opened.")) << missing.err.toStdString();
    EXPECT_TRUE(missing.err.contains("No such file or directory")) << missing.err.toStdString();
}

TEST(CliOverSerialLine, aPortWithoutPermissionPointsToTheDeviceGroup) {
    SerialEndToEnd e;
    const QString locked = e.pc.FilePath("ttyLocked");
    e.pc.Write("ttyLocked", "");
    WriteSerialHome(e.pc.FilePath("home"), e.pc.FilePath("backup"), locked);
    // Root may open anything; the tool then runs as an unprivileged user, who must be able to reach
    // the home and backup folders.
    QStringList wrapper;
    if (::geteuid() == 0) {
        if (QStandardPaths::findExecutable("setpriv").isEmpty())
            GTEST_SKIP() << "running as root without setpriv: no user to lack the permission";
        wrapper = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
        for (const QString& dir : {e.pc.Path(), e.pc.FilePath("home"), e.pc.FilePath("backup")}) {
            QDir().mkpath(dir);
            ::chmod(QFile::encodeName(dir).constData(), 0777);
        }
        for (const char* f : {"home/QDV70LIST.INI", "home/QDV70COMM.INI"})
            ::chmod(QFile::encodeName(e.pc.FilePath(f)).constData(), 0644);
        ::chmod(QFile::encodeName(locked).constData(), 0600);
        // The build may lie in a folder the unprivileged user cannot enter (a checkout under /root).
        if (e.Cli({"help"}, wrapper).exitCode != 0)
            GTEST_SKIP() << "the unprivileged user cannot run qdv70cli from this build folder";
    } else {
        ::chmod(QFile::encodeName(locked).constData(), 0);
    }
    const CliRun r = e.Cli({"receive", "description"}, wrapper);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("The communication port was not opened.")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("usermod -aG")) << r.err.toStdString();
}

// Secondary jobs have no command of qdv70cli yet; the task controller starts them here as the secondary
// dialogs will. On a serial line a lost line ends the run and fails every station still to come; on the
// LAN each station has a connection of its own and the run goes on.
TEST(SecondaryJobOverSerialLine, aLostLineFailsEveryStationStillToCome) {
    EnsureCoreApplication();

    for (const bool serial : {true, false}) {
        SCOPED_TRACE(serial ? "serial" : "LAN");
        TestFolder device;
        TestFolder pc;
        QString error;
        ASSERT_TRUE(WriteSampleDataSet(device.Path(), &error)) << error.toStdString();
        const auto sim = serial ? std::make_unique<SimProcess>(device.Path(), QStringList{"drop-line"},
                                                               pc.FilePath("ttySIM"))
                                : std::make_unique<SimProcess>(device.Path(), QStringList{"drop-line"});
        ASSERT_TRUE(sim->Ok());
        SetupRecord setup;
        setup.name = "Sim";
        setup.SetBackupDataPath(pc.FilePath("backup"));
        setup.selectLan = !serial;
        setup.ipAddress = "127.0.0.1";
        setup.remote3Port = sim->Port();
        setup.comPort = 1;
        PortSettings ports;
        ports.serialDevice[0] = pc.FilePath("ttySIM");
        StatusBlock status;
        StationTables stations;
        TmTableRemote resolver;
        TmFile files(pc.FilePath("home"));
        TtskCtrl control(TtskCtrl::kLinkEngine, status, stations, resolver, files, ports,
                         [&] { return setup; });
        ASSERT_TRUE(WaitFor([&] { return control.Ready(); }, 5000));

        for (const int s : {2, 3, 4})
            stations.state[s] = StationTables::kChosen;
        ASSERT_TRUE(control.StartJob(0, kJobSecondary));
        ASSERT_TRUE(WaitFor([&] { return !status.busy; }, 20000));
        EXPECT_EQ(status.lastError, 319u);
        for (const int s : {2, 3, 4}) {
            const bool failed = serial || s == 2;
            EXPECT_EQ(stations.result[s], failed ? StationTables::kFailed : StationTables::kSuccess) << s;
            EXPECT_EQ(stations.state[s], StationTables::kDone) << s;
        }
        if (!serial) {
            EXPECT_EQ(pc.Read("backup/ZEBU_004.DAT"), device.Read("ZEBU_004.DAT"));
        }
    }
}

} // namespace
} // namespace qdv::test
