#include "link/Record.h"
#include "sim/SampleDataSet.h"
#include "sim/SimulatedController.h"
#include "store/DataFileSet.h"
#include "store/DataImage.h"
#include "support/EngineRig.h"

#include <gtest/gtest.h>

namespace qdv {
namespace {

constexpr int kReceive = 0;
constexpr int kSend = 1;
using StationFault = sim::FaultPlan::StationFault;

// The engine against the simulated controller with secondary stations 5, 9 and 12, of which 9 is
// disabled and 12 silent. `serial` runs the same engine over the loopback line as its serial port.
struct StationRig : test::EngineRig {
    test::TestFolder device;
    sim::FaultPlan faults;
    std::unique_ptr<sim::SimulatedController> sim;
    std::unique_ptr<LinkEngine> serialEngine;

    explicit StationRig(bool serial = false) {
        QString error;
        EXPECT_TRUE(WriteSampleDataSet(device.Path(), &error)) << error.toStdString();
        const int size = datafiles::Entry(datafiles::kStationDat).imageSize;
        for (const int s : {5, 9, 12})
            device.Write(datafiles::FileName(datafiles::kStationDat, s),
                         image::Encode(QByteArray(size, char(s))));
        faults.SetStationFault(9, StationFault::Disabled);
        faults.SetStationFault(12, StationFault::Silent);
        sim = std::make_unique<sim::SimulatedController>(device.Path(), &faults);
        sim->SetOutput([this](QByteArray b) { line.Deliver(b); });
        line.SetPeer([this](QByteArrayView b) { sim->Receive(b); });
        if (serial) {
            setup.selectLan = false;
            serialEngine = std::make_unique<LinkEngine>(
                LinkEngine::Services{clock, line, &line, status, stations, resolver, files});
            serialEngine->Tick();
        }
    }

    void Choose(std::initializer_list<int> ids) {
        for (auto& s : stations.state)
            s = StationTables::kNotChosen;
        for (const int id : ids)
            stations.state[static_cast<std::size_t>(id)] = StationTables::kChosen;
    }

    int Run(int direction, int kind) {
        if (!serialEngine) {
            EXPECT_TRUE(RunJob(direction, kind, 100000)) << "job did not end";
            return static_cast<int>(status.lastError);
        }
        status.Clear();
        status.direction = static_cast<std::uint32_t>(direction);
        status.jobKind = static_cast<std::uint32_t>(kind);
        serialEngine->AcceptJob(setup, ports);
        for (ticks = 0; ticks < 100000 && status.busy; ++ticks) {
            serialEngine->Tick();
            clock.Advance(10);
        }
        EXPECT_FALSE(status.busy) << "job did not end";
        return static_cast<int>(status.lastError);
    }

    std::pair<int, int> Outcome(int id) const {
        const auto i = static_cast<std::size_t>(id);
        return {stations.state[i].load(), stations.result[i].load()};
    }
};

const std::pair<int, int> kOk{StationTables::kDone, StationTables::kSuccess};
const std::pair<int, int> kNg{StationTables::kDone, StationTables::kFailed};
const std::pair<int, int> kTimeout{StationTables::kDone, StationTables::kNoAnswer};
const std::pair<int, int> kDisabled{StationTables::kDone, StationTables::kAbortedByStation};

TEST(SecondaryStations, lanRunGoesOnAfterEveryFailureAndKeepsFailedStationsFiles) {
    StationRig rig;
    rig.pc.Write("backup/ZEBU_009.DAT", "kept 9\r\n");
    rig.pc.Write("backup/ZEBU_012.DAT", "kept 12\r\n");
    rig.Choose({5, 9, 12});
    EXPECT_EQ(rig.Run(kReceive, kJobSecondary), 304);
    EXPECT_EQ(rig.Outcome(5), kOk);
    EXPECT_EQ(rig.Outcome(9), kDisabled) << "the abort record is recognised before the data type";
    EXPECT_EQ(rig.Outcome(12), kTimeout);
    EXPECT_EQ(rig.pc.Read("backup/ZEBU_005.DAT"), rig.device.Read("ZEBU_005.DAT"));
    EXPECT_EQ(rig.pc.Read("backup/ZEBU_009.DAT"), "kept 9\r\n");
    EXPECT_EQ(rig.pc.Read("backup/ZEBU_012.DAT"), "kept 12\r\n");
    EXPECT_EQ(rig.line.opens, 3) << "a connection per station";
}

TEST(SecondaryStations, serialRunStopsAtTheFirstFailure) {
    StationRig rig(true);
    rig.Choose({5, 9, 12});
    EXPECT_EQ(rig.Run(kReceive, kJobSecondary), 318);
    EXPECT_EQ(rig.Outcome(5), kOk);
    EXPECT_EQ(rig.Outcome(9), kDisabled);
    EXPECT_EQ(rig.Outcome(12), kNg);
    EXPECT_EQ(rig.line.opens, 1);

    // A disabled station answers the start of its file with the abort record.
    rig.pc.Write("backup/ZEBU_009.DAT", rig.device.Read("ZEBU_009.DAT"));
    rig.Choose({9, 12});
    EXPECT_EQ(rig.Run(kSend, kJobSecondary), 318);
    EXPECT_EQ(rig.Outcome(9), kDisabled);
    EXPECT_EQ(rig.Outcome(12), kNg);
}

TEST(SecondaryStations, sendWritesTheStationFilesOnTheDevice) {
    StationRig rig;
    const QByteArray data =
        image::Encode(QByteArray(datafiles::Entry(datafiles::kStationDat).imageSize, 'x'));
    rig.pc.Write("backup/ZEBU_005.DAT", data);
    rig.Choose({5});
    EXPECT_EQ(rig.Run(kSend, kJobSecondary), 0);
    EXPECT_EQ(rig.Outcome(5), kOk);
    EXPECT_EQ(rig.device.Read("ZEBU_005.DAT"), data);
}

TEST(SecondaryStations, namesArriveCompleteAtOneStationOrByBroadcast) {
    StationRig rig;
    rig.pc.Write("backup/Name/ZEBU_NME.DAU", rig.device.Read("Name/ZEBU_NME.DAU"));
    for (int k = 1; k <= 7; ++k)
        rig.pc.Write("backup/Name/" + datafiles::AliasFileName(k),
                     rig.device.Read("Name/" + datafiles::AliasFileName(k)));
    struct Case {
        int kind;
        int station;
    } cases[] = {{kJobDescriptionToSecondary, 7}, {kJobAliasToSecondary, 255}};
    for (const auto& c : cases) {
        rig.stations.currentStation = c.station;
        rig.stations.dialogState = 1;
        EXPECT_EQ(rig.Run(kSend, c.kind), 0) << c.kind;
        EXPECT_EQ(rig.stations.dialogState, 3);
        EXPECT_FALSE(rig.stations.dialogError);
    }
    const QString at7 = datafiles::StationFolderName(7) + "/Name/";
    EXPECT_EQ(rig.device.Read(at7 + "DESCRIPTION.DAU"),
              image::Encode(rig.resolver.Tables().Descriptions().Image()));
    for (int k = 1; k <= 7; ++k)
        EXPECT_EQ(rig.device.Read("ZEBU_255/Name/" + datafiles::AliasFileName(k)),
                  rig.pc.Read("backup/Name/" + datafiles::AliasFileName(k)))
            << k;
    EXPECT_EQ(rig.sim->NameRecordCount(), 410 + 2868);
}

// The disabled station answers the first name record with the abort record where the engine awaits an
// ACK: the job ends with 318 at once instead of waiting out the time-outs.
TEST(SecondaryStations, namesToADisabledStationEndWithItsAbortRecord) {
    StationRig rig;
    rig.pc.Write("backup/Name/ZEBU_NME.DAU", rig.device.Read("Name/ZEBU_NME.DAU"));
    rig.pc.Write("backup/Name/" + datafiles::AliasFileName(1),
                 rig.device.Read("Name/" + datafiles::AliasFileName(1)));
    for (const int kind : {kJobDescriptionToSecondary, kJobAliasToSecondary}) {
        rig.stations.currentStation = 9;
        rig.stations.dialogState = 1;
        EXPECT_EQ(rig.Run(kSend, kind), 318) << kind;
        EXPECT_LT(rig.ticks, 300) << kind;
        EXPECT_EQ(rig.stations.dialogState, 3);
        EXPECT_TRUE(rig.stations.dialogError);
    }
    EXPECT_EQ(rig.sim->NameRecordCount(), 0);
}

TEST(SecondaryStations, namesThatCannotBeLoadedFailWithoutTouchingTheLine) {
    StationRig rig;
    for (const int kind : {kJobDescriptionToSecondary, kJobAliasToSecondary}) {
        rig.stations.currentStation = 7;
        rig.stations.dialogState = 1;
        EXPECT_EQ(rig.Run(kSend, kind), 317);
        EXPECT_TRUE(rig.status.error);
        EXPECT_EQ(rig.stations.dialogState, 3);
        EXPECT_TRUE(rig.stations.dialogError);
    }
    EXPECT_EQ(rig.line.opens, 0);
}

} // namespace
} // namespace qdv
