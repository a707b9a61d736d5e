#include "EndToEnd.h"
#include "history/BackupHistory.h"
#include "services/HostedServices.h"
#include "sim/SampleDataSet.h"
#include "store/DataImage.h"
#include "store/TmFile.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTcpSocket>
#include <gtest/gtest.h>

namespace qdv::test {
namespace {

const QStringList kPrimaryFiles = {"ZEBU_STD.DAU", "ZEBU_TLN.DAU", "ZEBU_GPH.DAU", "ZEBU_LVG.DAU",
                                   "ZEBU_INH.DAU", "ZEBU_SGP.DAU", "ZEBU_422.DAU", "ZEBU_IDX.DAU"};

// Starts qdv70cli without waiting for it.
void StartCli(QProcess& cli, const QStringList& args) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LC_ALL", "C.UTF-8");
    cli.setProcessEnvironment(env);
    cli.setProgram(QStringLiteral(QDV70CLI_PATH));
    cli.setArguments(args);
    cli.start();
    ASSERT_TRUE(cli.waitForStarted());
}

// Reads the stderr of a running qdv70cli until it holds `marker` (at most 20 s).
bool ErrUntil(QProcess& cli, QByteArray* err, const QByteArray& marker) {
    QElapsedTimer t;
    t.start();
    while (!err->contains(marker) && t.elapsed() < 20000 &&
           (cli.waitForReadyRead(1000) || cli.state() == QProcess::Running))
        *err += cli.readAllStandardError();
    *err += cli.readAllStandardError();
    return err->contains(marker);
}

// Two devices with different data back up into one folder at the same moment: the folder ends with
// the complete set of one of them, never a mixture, and each job either waited and succeeded or failed
// naming the holder.
TEST(FolderLockCli, twoReceivesIntoOneFolderLeaveOneDevicesSet) {
    EndToEnd a;
    TestFolder deviceB;
    TestFolder homeB;
    QString error;
    ASSERT_TRUE(WriteSampleDataSet(deviceB.Path(), &error)) << error.toStdString();
    for (const QString& f : kPrimaryFiles) {
        QByteArray data = deviceB.Read("Primary/" + f);
        data.replace(0, 2, data.startsWith("EE") ? "DD" : "EE");
        deviceB.Write("Primary/" + f, data);
    }
    SimProcess simB(deviceB.Path());
    ASSERT_TRUE(simB.Ok());
    WriteLanHome(homeB.Path(), a.pc.FilePath("backup"), simB.Port());

    QProcess first, second;
    StartCli(first, {"--home", a.pc.FilePath("home"), "receive", "primary"});
    StartCli(second, {"--home", homeB.Path(), "receive", "primary"});
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
        fromB += stored == deviceB.Read("Primary/" + f);
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

// Another writer holds the folder while an import starts: the import says who and waits, and runs
// once the folder is free; with a wait too short it fails naming the holder.
// A backup folder with the device's files and their crosspoints exported as text, for an import.
QString SeedForImport(EndToEnd& e) {
    for (const char* f : {"XPoint/ZEBU_XPT.DAU", "Name/ZEBU_NME.DAU", "Primary/ZEBU_STD.DAU"})
        e.pc.Write(QStringLiteral("backup/") + f, e.Device(f));
    const QString csv = e.pc.FilePath("xpt.csv");
    const CliRun r = e.Cli({"export", "crosspoint", csv});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    return csv;
}

TEST(FolderLockCli, importWaitsForTheReceiveHoldingTheFolder) {
    EndToEnd e({"stall"}); // the receive holds the folder until the stalled record times out
    const QString csv = SeedForImport(e);

    QProcess receive;
    StartCli(receive, {"--home", e.pc.FilePath("home"), "receive", "description"});
    QByteArray receiveErr;
    ASSERT_TRUE(ErrUntil(receive, &receiveErr, "Sim: receive description"));
    const QString holder =
        QStringLiteral("qdv70cli (pid %1) is receiving Description").arg(receive.processId());

    const CliRun impatient = e.Cli({"--wait-folder", "0", "import", "crosspoint", csv});
    EXPECT_EQ(impatient.exitCode, 1);
    EXPECT_TRUE(impatient.err.contains("waiting for the backup folder: " + holder))
        << impatient.err.toStdString();

    const CliRun import = e.Cli({"import", "crosspoint", csv});
    EXPECT_EQ(import.exitCode, 0) << import.err.toStdString();
    EXPECT_EQ(import.err.count("waiting for the backup folder: " + holder), 1) << import.err.toStdString();
    ASSERT_TRUE(receive.waitForFinished(10000));
    EXPECT_EQ(receive.exitCode(), 1); // the stalled record failed it
}

// A holder that is killed frees the folder at once: the next writer does not wait at all.
TEST(FolderLockCli, aKilledHolderFreesTheFolderAtOnce) {
    EndToEnd e({"stall"});
    const QString csv = SeedForImport(e);
    QProcess receive;
    StartCli(receive, {"--home", e.pc.FilePath("home"), "receive", "description"});
    QByteArray err;
    ASSERT_TRUE(ErrUntil(receive, &err, "Sim: receive description"));
    receive.kill();
    receive.waitForFinished();
    const CliRun import = e.Cli({"--wait-folder", "0", "import", "crosspoint", csv});
    EXPECT_EQ(import.exitCode, 0) << import.err.toStdString();
    EXPECT_FALSE(import.err.contains("waiting")) << import.err.toStdString();
}

QByteArray Post(int port, const QByteArray& element) {
    const QByteArray body = "<?xml version=\"1.0\"?><s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/"
                            "envelope/\"><s:Body>" +
                            element + "</s:Body></s:Envelope>";
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), static_cast<quint16>(port));
    if (!socket.waitForConnected(30000))
        return {};
    socket.write("POST / HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\nContent-Type: text/xml\r\n"
                 "Content-Length: " +
                 QByteArray::number(body.size()) + "\r\n\r\n" + body);
    QByteArray answer;
    while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(30000))
        answer += socket.readAll();
    return answer + socket.readAll();
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
    const TmFile files(e.pc.FilePath("home"));
    ServiceSettings settings;
    settings.bindAddress = QStringLiteral("127.0.0.1");
    settings.deviceInfoPort = 0;
    settings.primaryStationPort = 0;
    HostedServices services(files, settings);
    ASSERT_EQ(services.Start(), 2);
    const QByteArray ns =
        "xmlns=\"http://switcher.example/pro/switcher/primarystation/configurationservice\"";
    Post(services.PrimaryStationPort(), "<GetProductInfoReq " + ns + "/>");

    QProcess receive;
    StartCli(receive, {"--home", e.pc.FilePath("home"), "receive", "primary"});
    QByteArray err;
    ASSERT_TRUE(ErrUntil(receive, &err, "Sim: receive primary")) << err.toStdString();
    const QByteArray answer =
        Post(services.PrimaryStationPort(),
             "<SetTypeNameReq " + ns + "><TypeName><No>1</No><Name>AB</Name></TypeName></SetTypeNameReq>");
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
