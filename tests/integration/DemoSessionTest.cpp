#include "app/DemoSession.h"
#include "store/TmFile.h"
#include "support/SimProcess.h"
#include "support/TestFolder.h"

#include <gtest/gtest.h>

#include <memory>

namespace qdv::test {
namespace {

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
