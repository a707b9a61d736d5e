#include "EndToEnd.h"
#include "app/DemoSession.h"
#include "convert/CrosspointTable.h"
#include "convert/DescriptionTable.h"
#include "history/BackupHistory.h"
#include "store/DataImage.h"
#include "store/TmFile.h"

#include <QFile>
#include <QJsonArray>
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
    const QStringList lines = history.Lines();
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

// Without a simulator the demo says why; with one, it serves a sample plant.
TEST(DemoSession, servesASamplePlantThatTheDemoSetupCanReceiveFromAtOnce) {
    TestFolder folder;
    QByteArray sentEarlier;
    {
        DemoSession demo(folder.Path());
        QString error;
        EXPECT_FALSE(demo.Start(QString(), &error));
        EXPECT_TRUE(error.contains("qdv70sim"));
        EXPECT_FALSE(demo.Start(folder.FilePath("no-such-program"), &error));
        EXPECT_FALSE(error.isEmpty());
        ASSERT_TRUE(demo.Start(QStringLiteral(QDV70SIM_PATH), &error)) << error.toStdString();

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

// Two devices back up into one folder at the same moment: the folder ends with one device's complete set,
// never a mixture, and each job either waited and succeeded or failed naming the holder.
TEST(FolderLockCli, twoReceivesIntoOneFolderLeaveOneDevicesSet) {
    EndToEnd a, b;
    for (const QString& f : kPrimaryFiles) {
        QByteArray data = b.Device("Primary/" + f);
        data.replace(0, 2, data.startsWith("EE") ? "DD" : "EE");
        b.device.Write("Primary/" + f, data);
    }
    WriteLanHome(b.pc.FilePath("home"), a.pc.FilePath("backup"), b.sim->Port());

    QProcess first, second;
    ASSERT_TRUE(a.Start(first, {"receive", "primary"}));
    ASSERT_TRUE(b.Start(second, {"receive", "primary"}));
    ASSERT_TRUE(first.waitForFinished(60000));
    ASSERT_TRUE(second.waitForFinished(60000));
    std::size_t succeeded = 0;
    for (QProcess* p : {&first, &second}) {
        const QString err = QString::fromUtf8(p->readAllStandardError());
        succeeded += p->exitCode() == 0;
        if (p->exitCode() != 0) {
            EXPECT_TRUE(err.contains("waiting for the backup folder: qdv70cli (pid ")) << err.toStdString();
        }
    }
    int fromA = 0, fromB = 0;
    for (const QString& f : kPrimaryFiles) {
        const QByteArray stored = a.Pc("Primary/" + f);
        fromA += stored == a.Device("Primary/" + f);
        fromB += stored == b.Device("Primary/" + f);
    }
    EXPECT_TRUE(fromA == kPrimaryFiles.size() || fromB == kPrimaryFiles.size())
        << fromA << " files from one device, " << fromB << " from the other";
    EXPECT_EQ(a.WorkFiles(), 0);
    // The first snapshots of both made one history, with a snapshot of each.
    std::vector<history::SnapshotInfo> log;
    QString why;
    ASSERT_TRUE(history::BackupHistory::Log(a.pc.FilePath("backup"), 0, &log, &why)) << why.toStdString();
    EXPECT_EQ(log.size(), succeeded);
}

// Another writer holds the folder while an import starts: an import that may not wait fails naming the
// holder, one that may says who once and waits. A holder that is killed frees the folder at once: the
// waiting import runs, and the next writer does not wait at all.
TEST(FolderLockCli, anImportWaitsForTheReceiveHoldingTheFolderUntilItIsKilled) {
    EndToEnd e({"stall"}); // the receive holds the folder while it waits for the stalled record
    for (const char* f : {"XPoint/ZEBU_XPT.DAU", "Name/ZEBU_NME.DAU", "Primary/ZEBU_STD.DAU"})
        e.pc.Write(QStringLiteral("backup/") + f, e.Device(f));
    const QString csv = e.pc.FilePath("xpt.csv");
    ASSERT_EQ(e.Cli({"export", "crosspoint", csv}).exitCode, 0);

    QProcess receive;
    ASSERT_TRUE(e.Start(receive, {"receive", "description"}));
    QByteArray err;
    ASSERT_TRUE(ReadErrUntil(receive, &err, "Sim: receive description"));
    const QByteArray waiting = QStringLiteral("waiting for the backup folder: qdv70cli (pid %1) is receiving "
                                              "Description")
                                   .arg(receive.processId())
                                   .toUtf8();
    const CliRun impatient = e.Cli({"--wait-folder", "0", "import", "crosspoint", csv});
    EXPECT_EQ(impatient.exitCode, 1);
    EXPECT_TRUE(impatient.err.toUtf8().contains(waiting)) << impatient.err.toStdString();

    QProcess import;
    ASSERT_TRUE(e.Start(import, {"import", "crosspoint", csv}));
    QByteArray importErr;
    ASSERT_TRUE(ReadErrUntil(import, &importErr, "waiting for the backup folder"));
    receive.kill();
    ASSERT_TRUE(import.waitForFinished(10000));
    importErr += import.readAllStandardError();
    EXPECT_EQ(import.exitCode(), 0) << importErr.toStdString();
    EXPECT_EQ(importErr.count(waiting), 1) << importErr.toStdString();
    const CliRun next = e.Cli({"--wait-folder", "0", "import", "crosspoint", csv});
    EXPECT_EQ(next.exitCode, 0) << next.err.toStdString();
    EXPECT_FALSE(next.err.contains("waiting")) << next.err.toStdString();
}

// A client's change that arrives while a receive replaces the files waits for the receive, and is then
// made on the received file: the change lands, and nothing of the received data is reverted.
TEST(FolderLockCli, aServiceWriteDuringAReceiveLandsAfterIt) {
    EnsureCoreApplication();
    // A serial line slow enough that the receive of ZEBU_STD.DAU takes a few seconds.
    EndToEnd e({}, EndToEnd::Carrier::Serial, {"--line-rate", "115200"});
    WriteSerialHome(e.pc.FilePath("home"), e.pc.FilePath("backup"), e.SerialLink(), 0x01);
    // The stored file differs from the device's in byte 16000, far from the type names.
    constexpr int kByte = 16000;
    constexpr int kChar = (2 * kByte / 256) * 258 + (2 * kByte) % 256;
    QByteArray old = e.Device("Primary/ZEBU_STD.DAU");
    old.replace(kChar, 2, old.mid(kChar, 2) == "EE" ? "DD" : "EE");
    e.pc.Write("backup/Primary/ZEBU_STD.DAU", old);
    const LoopbackServices s(e.pc.FilePath("home"));

    QProcess receive;
    ASSERT_TRUE(e.Start(receive, {"receive", "primary"}));
    QByteArray err;
    ASSERT_TRUE(ReadErrUntil(receive, &err, "Sim: receive primary")) << err.toStdString();
    const QByteArray answer = s.SetTypeName();
    EXPECT_TRUE(answer.contains(">OK<")) << answer.toStdString();
    ASSERT_TRUE(receive.waitForFinished(60000));
    EXPECT_EQ(receive.exitCode(), 0) << (err + receive.readAllStandardError()).toStdString();

    // The stored file is the device's, with the client's name on top.
    const QByteArray device = image::Decode(e.Device("Primary/ZEBU_STD.DAU"), 16384);
    const QByteArray stored = image::Decode(e.Pc("Primary/ZEBU_STD.DAU"), 16384);
    ASSERT_EQ(stored.size(), device.size());
    int differing = 0;
    for (qsizetype i = 0; i < stored.size(); ++i)
        differing += stored[i] != device[i];
    EXPECT_GT(differing, 0) << "the client's change was lost";
    EXPECT_LE(differing, 16) << "more than the type name differs from the received file";
    EXPECT_EQ(stored[kByte], device[kByte]) << "the received data were reverted";
}

} // namespace
} // namespace qdv::test
