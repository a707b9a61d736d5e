#include "EndToEnd.h"
#include "history/BackupHistory.h"
#include "store/DataImage.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace qdv::test {
namespace {

// Two devices with different data back up into one folder at the same moment: the folder ends with
// the complete set of one of them, never a mixture, and each job either waited and succeeded or failed
// naming the holder.
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
