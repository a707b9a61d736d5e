#include "DialogDriver.h"
#include "sim/SampleDataSet.h"
#include "support/MainWindowFixture.h"
#include "support/SimProcess.h"

#include "widgets/TPanelButton.h"
#include "widgets/TTabBar.h"
#include <QCheckBox>
#include <QDir>
#include <QTest>
#include <gtest/gtest.h>

namespace qdv::test {
namespace {

constexpr int kJobMs = 60000;

// The sample plant served by the simulator; the main window's setup and a qdv70cli home point at it,
// each with a backup folder of its own.
struct Plant {
    TestFolder device;
    TestFolder cli;
    std::unique_ptr<SimProcess> sim;

    explicit Plant(const QStringList& faults = {}) {
        QString error;
        EXPECT_TRUE(WriteSampleDataSet(device.Path(), &error)) << error.toStdString();
        sim = std::make_unique<SimProcess>(device.Path(), faults);
        EXPECT_TRUE(sim->Ok()) << "simulator did not start";
        WriteLanHome(cli.FilePath("home"), cli.FilePath("backup"), sim->Port());
    }
    // The window's one setup, a LAN setup on the simulator.
    SetupRecord WindowSetup() const {
        SetupRecord setup = FullSetup("Sim", QString());
        setup.remote3Port = sim->Port();
        return setup;
    }
};

// The main window on the plant, with the real task controller behind it (without the hosted services,
// which would bind their ports on every address) starting the window's jobs.
struct WindowOnPlant : Plant {
    MainWindowHarness h{{WindowSetup()}};
    TtskCtrl& control = h.Modules().StartTaskController(TtskCtrl::kAll & ~TtskCtrl::kHostedServices);

    explicit WindowOnPlant(const QStringList& faults = {}) : Plant(faults) {
        h.Window().SetJobStarter(
            [this](Direction direction, JobKind kind) { return control.StartJob(direction, kind); });
        h.Window().SetReadBackStarter([this](JobKind kind, const SetupRecord& readBack) {
            return control.StartJob(Direction::Receive, kind, readBack);
        });
        EXPECT_TRUE(QTest::qWaitFor([&] { return control.Ready(); }, kJobMs));
    }
};

// Runs a job from the window with the real task controller and waits until its end is reported.
bool RunFromWindow(MainWindowHarness& h, int tab, int key) {
    h.Window().Tabs()->setCurrentIndex(tab);
    h.Key(key);
    if (!h.Window().Polling())
        return false;
    return QTest::qWaitFor([&] { return !h.Window().Polling(); }, kJobMs);
}

TEST(MainWindowAgainstSimulator, receiveAndSendLeaveTheSameFilesAsTheCommandLineTool) {
    WindowOnPlant plant;
    MainWindowHarness& h = plant.h;

    ASSERT_TRUE(RunFromWindow(h, kTabReceive, Qt::Key_F3));
    const CliRun received = RunCli({"--home", plant.cli.FilePath("home"), "receive", "primary"});
    EXPECT_EQ(received.exitCode, 0) << received.err.toStdString();
    const QStringList files = QDir(plant.cli.FilePath("backup/Primary")).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(files.size(), 8);
    EXPECT_EQ(QDir(h.Backup(0) + "/Primary").entryList(QDir::Files, QDir::Name), files);
    for (const QString& f : files) {
        const QByteArray cliCopy = plant.cli.Read("backup/Primary/" + f);
        EXPECT_FALSE(cliCopy.isEmpty()) << f.toStdString();
        EXPECT_EQ(h.folder.Read("backup0/Primary/" + f), cliCopy) << f.toStdString();
    }

    // Both send the same changed descriptions; the device must end up with the same file each time.
    QByteArray nme = plant.device.Read("Name/ZEBU_NME.DAU");
    const QByteArray original = nme;
    nme.replace(0, 8, "41424344");
    h.folder.Write("backup0/Name/ZEBU_NME.DAU", nme);
    plant.cli.Write("backup/Name/ZEBU_NME.DAU", nme);
    ASSERT_TRUE(RunFromWindow(h, kTabSend, Qt::Key_F1));
    const QByteArray fromWindow = plant.device.Read("Name/ZEBU_NME.DAU");
    plant.device.Write("Name/ZEBU_NME.DAU", original);
    const CliRun sent = RunCli({"--home", plant.cli.FilePath("home"), "send", "description"});
    EXPECT_EQ(sent.exitCode, 0) << sent.err.toStdString();
    EXPECT_EQ(fromWindow, plant.device.Read("Name/ZEBU_NME.DAU"));
    EXPECT_EQ(fromWindow, nme);

    EXPECT_EQ(h.boxes.Texts(), QStringList());
}

// "Verify after sending" reads the sent file back: the simulator stores the first send with a wrong byte,
// which the window reports with the file and the address; the second send verifies. The backup folder
// keeps what was sent.
TEST(MainWindowAgainstSimulator, verifyAfterSendingFindsAWrongByteOnTheDevice) {
    WindowOnPlant plant({"wrong-byte"});
    MainWindowHarness& h = plant.h;
    const QList<ShownBox>& boxes = h.boxes.boxes;
    const QByteArray nme = plant.device.Read("Name/ZEBU_NME.DAU");
    h.folder.Write("backup0/Name/ZEBU_NME.DAU", nme);
    h.Window().VerifyBox()->setChecked(true);

    ASSERT_TRUE(RunFromWindow(h, kTabSend, Qt::Key_F1));
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].text.startsWith("Verification failed: 1 file differs from what was sent:\n"));
    EXPECT_TRUE(boxes[0].text.contains("ZEBU_NME.DAU: differs from the device at address 0x0001"))
        << boxes[0].text.toStdString();
    EXPECT_EQ(h.Window().StatusLine1(), "Verification failed.");
    EXPECT_EQ(h.folder.Read("backup0/Name/ZEBU_NME.DAU"), nme);

    ASSERT_TRUE(RunFromWindow(h, kTabSend, Qt::Key_F1));
    EXPECT_EQ(boxes.size(), 1);
    EXPECT_EQ(h.Window().StatusLine1(), "Verified: 1 file matches the device.");
    EXPECT_TRUE(h.Window().ExitButton()->isEnabled());
    SaveShot(h.Window(), qEnvironmentVariable("QDV70_SCREENSHOT"));
}

} // namespace
} // namespace qdv::test
