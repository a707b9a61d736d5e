#include "EndToEnd.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>

namespace qdv::test {
namespace {

const QStringList kPrimaryFiles = {"ZEBU_STD.DAU", "ZEBU_TLN.DAU", "ZEBU_GPH.DAU", "ZEBU_LVG.DAU",
                                   "ZEBU_INH.DAU", "ZEBU_SGP.DAU", "ZEBU_422.DAU", "ZEBU_IDX.DAU"};

TEST(CliAgainstSimulator, receivesAndSendsEveryKindByteForByte) {
    EndToEnd e;
    const auto prefixed = [](const QString& folder, QStringList names) {
        for (QString& n : names)
            n.prepend(folder);
        return names;
    };
    for (const char* what : {"description", "crosspoint", "primary"}) {
        const CliRun r = e.Cli({"receive", what});
        EXPECT_EQ(r.exitCode, 0) << what << r.err.toStdString();
        // The log names every file as it ends, with its size.
        const QStringList files = QString(what) == "primary"      ? prefixed("Primary/", kPrimaryFiles)
                                  : QString(what) == "crosspoint" ? QStringList{"XPoint/ZEBU_XPT.DAU"}
                                                                  : QStringList{"Name/ZEBU_NME.DAU"};
        for (const QString& f : files) {
            const QString line =
                QStringLiteral("  %1: received, %2 bytes\n").arg(f.section('/', 1)).arg(e.Device(f).size());
            EXPECT_TRUE(r.err.contains(line)) << line.toStdString() << r.err.toStdString();
        }
    }
    EXPECT_EQ(e.Pc("Name/ZEBU_NME.DAU"), e.Device("Name/ZEBU_NME.DAU"));
    EXPECT_EQ(e.Pc("XPoint/ZEBU_XPT.DAU"), e.Device("XPoint/ZEBU_XPT.DAU"));
    for (const QString& f : kPrimaryFiles)
        EXPECT_EQ(e.Pc("Primary/" + f), e.Device("Primary/" + f)) << f.toStdString();
    EXPECT_EQ(e.WorkFiles(), 0);

    // Change the PC's copies, send them, and find them on the device.
    QByteArray nme = e.Pc("Name/ZEBU_NME.DAU");
    nme.replace(0, 8, "41424344");
    e.pc.Write("backup/Name/ZEBU_NME.DAU", nme);
    QByteArray idx = e.Pc("Primary/ZEBU_IDX.DAU");
    idx.replace(258, 4, "BEEF");
    e.pc.Write("backup/Primary/ZEBU_IDX.DAU", idx);
    const QByteArray xpt = e.Pc("XPoint/ZEBU_XPT.DAU");
    e.device.Write("XPoint/ZEBU_XPT.DAU", "");
    for (const char* what : {"description", "crosspoint", "primary"}) {
        const CliRun r = e.Cli({"send", what});
        EXPECT_EQ(r.exitCode, 0) << what << r.err.toStdString();
    }
    EXPECT_EQ(e.Device("Name/ZEBU_NME.DAU"), nme);
    EXPECT_EQ(e.Device("Primary/ZEBU_IDX.DAU"), idx);
    EXPECT_EQ(e.Device("XPoint/ZEBU_XPT.DAU"), xpt);
}

TEST(CliAgainstSimulator, verifiedSendReadsBackAndNamesTheFirstDifferingAddress) {
    struct Case {
        QStringList faults;
        int exitCode;
        const char* logged;
    };
    const Case cases[] = {
        {{}, 0, "  ZEBU_STD.DAU: verified\n"},
        // The device stores the second byte of the first record it is sent wrongly.
        {{"wrong-byte"}, 1, "  ZEBU_STD.DAU: differs from the device at address 0x0001\n"},
    };
    for (const Case& c : cases) {
        EndToEnd e(c.faults);
        ASSERT_EQ(e.Cli({"receive", "primary"}).exitCode, 0);
        const QByteArray before = e.Pc("Primary/ZEBU_STD.DAU");
        const CliRun r = e.Cli({"send", "primary", "--verify"});
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.logged)) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains("  ZEBU_IDX.DAU: verified\n")) << r.err.toStdString();
        // The read-back leaves the backup as it was.
        EXPECT_EQ(e.Pc("Primary/ZEBU_STD.DAU"), before);
        EXPECT_EQ(e.WorkFiles(), 0);
    }
}

struct FaultCase {
    const char* fault;
    QStringList job;
    int exitCode;
    const char* message; // expected on stderr; empty for none
};

TEST(CliAgainstSimulator, faultsEndWithTheCatalogueTextAndExitStatus) {
    const FaultCase cases[] = {
        {"nak-twice", {"send", "description"}, 1, "Time-out(Cannot receive ACK.)"},
        {"wrong-type", {"receive", "crosspoint"}, 1, "Error(INDEX.)"},
        {"drop-line", {"receive", "description"}, 1, "Error(Communication line.)"},
        {"bad-checksum-once", {"receive", "description"}, 0, ""},
        {"unexpected-pn",
         {"receive", "primary"},
         1,
         "The following files were not able to be acquired.\n       ZEBU_STD.DAU"},
    };
    for (const auto& c : cases) {
        EndToEnd e({c.fault});
        e.pc.Write("backup/Name/ZEBU_NME.DAU", e.Device("Name/ZEBU_NME.DAU"));
        const CliRun r = e.Cli(c.job);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.fault << " " << r.err.toStdString();
        if (*c.message) {
            EXPECT_TRUE(r.err.contains(QString::fromLatin1(c.message)))
                << c.fault << " " << r.err.toStdString();
        }
        EXPECT_EQ(e.WorkFiles(), 0) << c.fault;
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
        WriteLanHome(pc.FilePath("home"), c.backup, closed);
        QFile comm(pc.FilePath("home/QDV70COMM.INI"));
        ASSERT_TRUE(comm.open(QIODevice::Append));
        comm.write(QStringLiteral("[PORT]\nGETINFO=%1\n").arg(closed).toUtf8());
        comm.close();
        const CliRun r = RunCli({"--home", pc.FilePath("home"), "receive", "description"});
        EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.reason)) << r.err.toStdString();
    }
}

TEST(CliAgainstSimulator, usageErrorsAndUnknownSetupsExit2) {
    EndToEnd e;
    EXPECT_EQ(e.Cli({"--setup", "Nope", "receive", "primary"}).exitCode, 2);
    EXPECT_EQ(e.Cli({"receive", "everything"}).exitCode, 2);
    const CliRun list = e.Cli({"setups"});
    EXPECT_EQ(list.exitCode, 0);
    EXPECT_TRUE(list.out.startsWith(QStringLiteral("1\tSim\tLAN,%1\t").arg(e.sim->Port())))
        << list.out.toStdString();
}

// Starts qdv70cli and waits until it shows `marker` on its log.
bool StartCliUntil(QProcess& cli, const QStringList& args, const QByteArray& marker) {
    cli.setProgram(QStringLiteral(QDV70CLI_PATH));
    cli.setArguments(args);
    cli.setReadChannel(QProcess::StandardError);
    cli.start();
    if (!cli.waitForStarted())
        return false;
    QByteArray out;
    QElapsedTimer t;
    t.start();
    while (!out.contains(marker) && t.elapsed() < 10000 && cli.waitForReadyRead(10000))
        out += cli.readAllStandardError();
    return out.contains(marker);
}

TEST(CliAgainstSimulator, interruptAbortsTheJobAndExits130) {
    EndToEnd e({"stall"});
    e.pc.Write("backup/Name/ZEBU_NME.DAU", "before\r\n");
    QProcess cli;
    ASSERT_TRUE(StartCliUntil(cli, {"--home", e.pc.FilePath("home"), "receive", "description"},
                              "Sim: receive description"));
    ::kill(static_cast<pid_t>(cli.processId()), SIGINT);
    ASSERT_TRUE(cli.waitForFinished(5000));
    EXPECT_EQ(cli.exitCode(), 130);
    EXPECT_TRUE(cli.readAllStandardError().contains("The following files were not able to be acquired."));
    EXPECT_EQ(e.Pc("Name/ZEBU_NME.DAU"), "before\r\n");
    EXPECT_EQ(e.WorkFiles(), 0);
}

TEST(CliAgainstSimulator, killedMidFileLeavesEveryReceivedFileIntact) {
    // The device stalls in the middle of the first file; the tool is killed while it waits.
    EndToEnd e({"stall"});
    QHash<QString, QByteArray> before;
    for (const QString& f : kPrimaryFiles) {
        QByteArray old = e.Device("Primary/" + f);
        old.replace(0, 2, "EE");
        e.pc.Write("backup/Primary/" + f, old);
        before[f] = old;
    }
    QProcess cli;
    ASSERT_TRUE(
        StartCliUntil(cli, {"--home", e.pc.FilePath("home"), "receive", "primary"}, "Sim: receive primary"));
    QThread::msleep(200);
    ::kill(static_cast<pid_t>(cli.processId()), SIGKILL);
    cli.waitForFinished();
    for (const QString& f : kPrimaryFiles)
        EXPECT_EQ(e.Pc("Primary/" + f), before[f]) << f.toStdString();

    // The next job cleans up whatever work file the killed one left.
    const CliRun r = e.Cli({"receive", "description"});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(e.WorkFiles(), 0);
}

} // namespace
} // namespace qdv::test
