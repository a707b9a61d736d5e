#include "EndToEnd.h"
#include "app/DemoSession.h"
#include "convert/CrosspointTable.h"
#include "convert/DescriptionTable.h"
#include "store/DataImage.h"
#include "store/TmFile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace qdv::test {
namespace {

// Every kind goes both ways byte for byte, over the LAN and over a serial line; the log names every
// received file with its size.
TEST(CliAgainstSimulator, everyKindTravelsByteForByteBothWaysOnEitherCarrier) {
    QStringList primary = kPrimaryFiles;
    primary.replaceInStrings(QRegularExpression("^"), "Primary/");
    const std::pair<const char*, QStringList> kinds[] = {{"description", {"Name/ZEBU_NME.DAU"}},
                                                         {"crosspoint", {"XPoint/ZEBU_XPT.DAU"}},
                                                         {"primary", primary}};
    for (const auto carrier : {EndToEnd::Carrier::Tcp, EndToEnd::Carrier::Serial}) {
        SCOPED_TRACE(carrier == EndToEnd::Carrier::Tcp ? "TCP" : "serial");
        EndToEnd e({}, carrier);
        for (const auto& [what, files] : kinds) {
            const CliRun r = e.Cli({"receive", what});
            EXPECT_EQ(r.exitCode, 0) << what << r.err.toStdString();
            for (const QString& f : files) {
                EXPECT_EQ(e.Pc(f), e.Device(f)) << f.toStdString();
                const QString line = QStringLiteral("  %1: received, %2 bytes\n")
                                         .arg(f.section('/', 1))
                                         .arg(e.Device(f).size());
                EXPECT_TRUE(r.err.contains(line)) << line.toStdString() << r.err.toStdString();
            }
        }
        EXPECT_EQ(e.WorkFiles(), 0);

        // Change the PC's copies (and the device's crosspoints), send them, and find them on the device.
        // The device applies a crosspoint list when the transfer ends, after the PC's last record, which
        // the PC does not wait for: its file may land a moment after qdv70cli has exited.
        e.pc.Write("backup/Name/ZEBU_NME.DAU", e.Pc("Name/ZEBU_NME.DAU").replace(0, 8, "41424344"));
        e.pc.Write("backup/Primary/ZEBU_IDX.DAU", e.Pc("Primary/ZEBU_IDX.DAU").replace(258, 4, "BEEF"));
        e.device.Write("XPoint/ZEBU_XPT.DAU", "");
        for (const auto& [what, files] : kinds) {
            const CliRun r = e.Cli({"send", what});
            EXPECT_EQ(r.exitCode, 0) << what << r.err.toStdString();
            for (const QString& f : files)
                EXPECT_TRUE(QTest::qWaitFor([&] { return e.Device(f) == e.Pc(f); }, 5000)) << f.toStdString();
        }
    }
}

// A verified send reads the files back: a file the device stored wrongly is named with its first
// differing address, and the read-back leaves the backup as it was; sent again, every file verifies.
TEST(CliAgainstSimulator, verifiedSendReadsBackAndNamesTheFirstDifferingAddress) {
    // The device stores the second byte of the first record it is sent wrongly.
    EndToEnd e({"wrong-byte"});
    ASSERT_EQ(e.Cli({"receive", "primary"}).exitCode, 0);
    const QByteArray before = e.Pc("Primary/ZEBU_STD.DAU");
    const CliRun r = e.Cli({"send", "primary", "--verify"});
    EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("  ZEBU_STD.DAU: differs from the device at address 0x0001\n"))
        << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("  ZEBU_IDX.DAU: verified\n")) << r.err.toStdString();
    EXPECT_EQ(e.Pc("Primary/ZEBU_STD.DAU"), before);
    EXPECT_EQ(e.WorkFiles(), 0);
    const CliRun again = e.Cli({"send", "primary", "--verify"});
    EXPECT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_TRUE(again.err.contains("  ZEBU_STD.DAU: verified\n")) << again.err.toStdString();
}

// A fault of the device ends the job with its catalogue text and exit status, leaves the stored files
// and no work file, and the line serves the next job.
TEST(CliAgainstSimulator, faultsEndWithTheCatalogueTextAndTheLineServesTheNextJob) {
    using C = EndToEnd::Carrier;
    const struct {
        C carrier;
        const char* fault;
        QStringList job;
        int exitCode;
        const char* message; // expected on stderr
    } cases[] = {
        {C::Tcp, "nak-twice", {"send", "description"}, 1, "Time-out(Cannot receive ACK.)"},
        {C::Tcp, "wrong-type", {"receive", "crosspoint"}, 1, "Error(INDEX.)"},
        {C::Tcp, "drop-line", {"receive", "description"}, 1, "Error(Communication line.)"},
        {C::Tcp, "bad-checksum-once", {"receive", "description"}, 0, ""},
        {C::Tcp, "unexpected-pn", {"receive", "primary"}, 1, "not able to be acquired.\n       ZEBU_STD.DAU"},
        {C::Serial, "nak-twice", {"send", "description"}, 1, "Time-out(Cannot receive ACK.)"},
        {C::Serial, "bad-checksum-once", {"receive", "description"}, 0, ""},
        // Four seconds: the record receiver waits twice for the rest of a record.
        {C::Serial, "stall", {"receive", "description"}, 1, "Time-out(Cannot receive packet data.)"},
        // The device vanishes in the middle of a file: its end of the line closes.
        {C::Serial, "drop-line", {"receive", "primary"}, 1, "Error(Communication line.)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.fault << (c.carrier == C::Tcp ? " TCP" : " serial"));
        EndToEnd e({c.fault}, c.carrier);
        const QByteArray before = "unchanged\r\n";
        e.pc.Write("backup/Name/ZEBU_NME.DAU", c.job[0] == "send" ? e.Device("Name/ZEBU_NME.DAU") : before);
        e.pc.Write("backup/Primary/ZEBU_STD.DAU", before);
        const CliRun r = e.Cli(c.job);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromLatin1(c.message))) << r.err.toStdString();
        if (c.exitCode != 0 && c.job[0] == "receive") {
            EXPECT_EQ(e.Pc("Primary/ZEBU_STD.DAU"), before);
        }
        EXPECT_EQ(e.WorkFiles(), 0);
        const CliRun next = e.Cli({"receive", "description"});
        EXPECT_EQ(next.exitCode, 0) << next.err.toStdString();
    }
}

TEST(CliAgainstSimulator, aJobThatCannotStartSaysWhy) {
    EnsureCoreApplication();
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    const quint16 closed = probe.serverPort();
    probe.close();
    TestFolder pc;
    pc.Write("plain", "a file where the backup folder would be");
    struct Case {
        QString backup;
        const char* reason;
    } cases[] = {
        {pc.FilePath("plain/backup"), "Error(File size.)\nCannot create directory.("},
        {pc.FilePath("backup"), "Error(Communication line.)\nConnection refused("},
    };
    for (const Case& c : cases) {
        WriteLanHome(pc.FilePath("home"), c.backup, closed, 255,
                     QStringLiteral("[PORT]\nGETINFO=%1\n").arg(closed));
        const CliRun r = RunCli({"--home", pc.FilePath("home"), "receive", "description"});
        EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.reason)) << r.err.toStdString();
    }
}

// A job stopped while the device stalls in the middle of the first file leaves every stored file as it
// was: Ctrl-C aborts it with exit status 130; after a kill, the next job cleans up the work file left.
TEST(CliAgainstSimulator, anInterruptedOrKilledJobLeavesEveryStoredFileIntact) {
    for (const int signal : {SIGINT, SIGKILL}) {
        SCOPED_TRACE(signal == SIGINT ? "SIGINT" : "SIGKILL");
        EndToEnd e({"stall"});
        QHash<QString, QByteArray> before;
        for (const QString& f : kPrimaryFiles) {
            QByteArray old = e.Device("Primary/" + f);
            old.replace(0, 2, "EE");
            e.pc.Write("backup/Primary/" + f, old);
            before[f] = old;
        }
        QProcess cli;
        QByteArray err;
        ASSERT_TRUE(e.Start(cli, {"receive", "primary"}));
        ASSERT_TRUE(ReadErrUntil(cli, &err, "Sim: receive primary"));
        QThread::msleep(signal == SIGKILL ? 200 : 0); // killed in the middle of the file
        ::kill(static_cast<pid_t>(cli.processId()), signal);
        ASSERT_TRUE(cli.waitForFinished(5000));
        if (signal == SIGINT) {
            EXPECT_EQ(cli.exitCode(), 130);
            EXPECT_TRUE((err + cli.readAllStandardError())
                            .contains("The following files were not able to be acquired."));
        }
        for (const QString& f : kPrimaryFiles)
            EXPECT_EQ(e.Pc("Primary/" + f), before[f]) << f.toStdString();
        if (signal == SIGKILL) { // the next job cleans up the work file the killed one left
            EXPECT_EQ(e.Cli({"receive", "description"}).exitCode, 0);
        }
        EXPECT_EQ(e.WorkFiles(), 0);
    }
}

// A serial line that cannot be opened ends the job with the reason: held by another program, missing, or
// not permitted, which alone points to the device group.
TEST(CliOverSerialLine, portsThatCannotBeOpenedEndWithTheReason) {
    EndToEnd e({}, EndToEnd::Carrier::Serial);
    const QString locked = e.pc.FilePath("ttyLocked");
    e.pc.Write("ttyLocked", "");
    // Root may open anything; the tool then runs as an unprivileged user, who must be able to reach
    // the home and backup folders.
    QStringList wrapper;
    if (::geteuid() == 0) {
        wrapper = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
        for (const QString& dir : {e.pc.Path(), e.pc.FilePath("home"), e.pc.FilePath("backup")}) {
            QDir().mkpath(dir);
            ::chmod(QFile::encodeName(dir).constData(), 0777);
        }
        for (const char* f : {"home/QDV70LIST.INI", "home/QDV70COMM.INI"})
            ::chmod(QFile::encodeName(e.pc.FilePath(f)).constData(), 0644);
    }
    ::chmod(QFile::encodeName(locked).constData(), wrapper.isEmpty() ? 0 : 0600);
    // Without setpriv, or with a build folder the unprivileged user cannot enter (a checkout under
    // /root), the permission is left out.
    const bool permission = wrapper.isEmpty() || (!QStandardPaths::findExecutable("setpriv").isEmpty() &&
                                                  e.Cli({"help"}, wrapper).exitCode == 0);
    LineHolder holder(e.SerialLink());
    const QString lines[] = {e.SerialLink(), e.pc.FilePath("ttyGone"), locked};
    const char* reasons[] = {"Device or resource busy", "No such file or directory", "usermod -aG"};
    for (int i = 0; i < (permission ? 3 : 2); ++i) {
        WriteSerialHome(e.pc.FilePath("home"), e.pc.FilePath("backup"), lines[i]);
        const CliRun r = e.Cli({"receive", "description"}, lines[i] == locked ? wrapper : QStringList{});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.contains("The communication port was not opened.")) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains("ZEBU_NME.DAU: failed after 0 bytes: ")) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(reasons[i])) << r.err.toStdString();
        EXPECT_EQ(r.err.contains("usermod -aG"), lines[i] == locked) << r.err.toStdString();
    }
    if (!permission)
        GTEST_SKIP() << "no unprivileged user to lack the permission";
}

TEST(HistoryAgainstSimulator, twoReceivesWithAChangeGiveSnapshotsAndMeaningDiff) {
    EndToEnd e;
    ASSERT_EQ(e.Cli({"receive", "description"}).exitCode, 0);
    ASSERT_EQ(e.Cli({"receive", "crosspoint"}).exitCode, 0);

    // On the device: source 12 gets a new description, destination 5 level 2 a new source.
    QByteArray nme = image::Decode(e.Device("Name/ZEBU_NME.DAU"), DescriptionTable::kNmeImageSize);
    DescriptionTable before;
    before.LoadDau(e.Device("Name/ZEBU_NME.DAU"));
    nme.replace(16 * 11, 16, QByteArray("CAM 1B").leftJustified(16, '\0'));
    e.device.Write("Name/ZEBU_NME.DAU", image::Encode(nme));
    CrosspointTable xpt;
    xpt.LoadDau(e.Device("XPoint/ZEBU_XPT.DAU"));
    const int oldSource = xpt.Source(2, 5);
    const int newSource = oldSource == 7 ? 8 : 7;
    xpt.SetSource(2, 5, static_cast<std::uint16_t>(newSource));
    e.device.Write("XPoint/ZEBU_XPT.DAU", xpt.SaveDau());

    ASSERT_EQ(e.Cli({"receive", "description"}).exitCode, 0);
    ASSERT_EQ(e.Cli({"receive", "crosspoint"}).exitCode, 0);
    ASSERT_EQ(e.Cli({"receive", "crosspoint"}).exitCode, 0); // the same bytes again: no snapshot

    const CliRun history = e.Cli({"history"});
    ASSERT_EQ(history.exitCode, 0) << history.err.toStdString();
    const QStringList lines = history.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4) << history.out.toStdString();
    // The line's id and date are the in-process history test's; here the job and file of a receive.
    EXPECT_TRUE(lines[0].endsWith("Receive Crosspoint  XPoint/ZEBU_XPT.DAU")) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].contains("Receive Description  Name/ZEBU_NME.DAU")) << lines[1].toStdString();

    const CliRun diff = e.Cli({"diff", "HEAD~2", "HEAD"});
    ASSERT_EQ(diff.exitCode, 0) << diff.err.toStdString();
    const QString oldText = QString::fromLatin1(before.At(Side::Source, 12).Text());
    EXPECT_TRUE(
        diff.out.contains(QStringLiteral("  source 12 description: \"%1\" -> \"CAM 1B\"\n").arg(oldText)))
        << diff.out.toStdString();
    EXPECT_TRUE(diff.out.contains(QRegularExpression(
        QStringLiteral("  destination 5 level 2: source %1( \\(.*\\))? -> source %2( \\(.*\\))?\n")
            .arg(oldSource)
            .arg(newSource))))
        << diff.out.toStdString();
    EXPECT_EQ(diff.out.count('\n'), 4) << diff.out.toStdString(); // two file headings, two changes

    // The default compares the last two snapshots: only the route.
    const QJsonArray changes = e.Cli({"diff", "--json"}).Json()["changes"].toArray();
    ASSERT_EQ(changes.size(), 1);
    EXPECT_EQ(changes[0]["kind"], "route");
    EXPECT_EQ(changes[0]["destination"], 5);
    EXPECT_EQ(changes[0]["newSource"], newSource);
    EXPECT_TRUE(e.Cli({"diff", "HEAD", "working"}).out.isEmpty());
}

TEST(DemoSession, servesASamplePlantThatTheDemoSetupCanReceiveFromAtOnce) {
    TestFolder folder;
    QByteArray sentEarlier;
    {
        DemoSession demo(folder.Path());
        QString error;
        ASSERT_TRUE(demo.Start(QStringLiteral(QDV70SIM_PATH), &error)) << error.toStdString();
        ASSERT_NE(demo.Port(), 0);

        auto setups = std::make_unique<SetupTable>();
        ASSERT_TRUE(TmFile(demo.Home()).LoadSetupList(*setups, MenuFont()));
        ASSERT_EQ(setups->count, 1);
        const SetupRecord& r = setups->records[0];
        EXPECT_EQ(r.remote3Port, demo.Port());
        EXPECT_EQ(r.backupDataPath, demo.BackupFolder());
        EXPECT_TRUE(r.selectLan && r.receiveAll && r.sendAll && r.editAll);

        // The backup already holds what Send needs, and Receive works against the simulator.
        EXPECT_EQ(folder.Read("backup/Name/ZEBU_NME.DAU"), folder.Read("device/Name/ZEBU_NME.DAU"));
        // The Primary receive goes through the network controller's exchange and FTP.
        const CliRun run = RunCli({"--home", demo.Home(), "receive", "primary"});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_TRUE(folder.Exists("home/XMLDoc/GetInfoRes.xml"));
        // The device search finds the simulated devices on loopback.
        const CliRun search = RunCli({"--home", demo.Home(), "discover", "--seconds", "1"});
        EXPECT_EQ(search.exitCode, 0) << search.err.toStdString();
        EXPECT_EQ(search.out.count("127.0.0.1"), 3) << search.out.toStdString();

        sentEarlier = folder.Read("backup/Name/ZEBU_NME.DAU");
        sentEarlier.replace(0, 8, "41424344");
        folder.Write("backup/Name/ZEBU_NME.DAU", sentEarlier);
    }
    // A later demo keeps what the earlier one left in the backup folder.
    DemoSession again(folder.Path());
    QString error;
    ASSERT_TRUE(again.Start(QStringLiteral(QDV70SIM_PATH), &error)) << error.toStdString();
    EXPECT_EQ(folder.Read("backup/Name/ZEBU_NME.DAU"), sentEarlier);
}

TEST(DemoSession, withoutASimulatorItSaysWhy) {
    TestFolder folder;
    DemoSession demo(folder.Path());
    QString error;
    EXPECT_FALSE(demo.Start(QString(), &error));
    EXPECT_TRUE(error.contains("qdv70sim"));
    EXPECT_FALSE(demo.Start(folder.FilePath("no-such-program"), &error));
    EXPECT_FALSE(error.isEmpty());
}

} // namespace
} // namespace qdv::test
