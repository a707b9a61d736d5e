#include "discovery/NetworkDeviceTable.h"
#include "link/StationTables.h"
#include "link/StatusBlock.h"
#include "secondary/NamesToSecondaryModel.h"
#include "secondary/SecondaryDataModel.h"
#include "secondary/StationNumbers.h"
#include "store/DataImage.h"
#include "store/StandardSettingsLayout.h"
#include "store/TmFile.h"
#include "support/TestFolder.h"

#include <gtest/gtest.h>

namespace qdv {
namespace {

using namespace statuscolour;

// A home folder, the shared tables and a task controller stand-in that records the jobs started; the
// tests play the link engine by writing the tables themselves.
struct DialogRig {
    test::TestFolder home;
    TmFile files{home.Path()};
    StatusBlock status;
    StationTables stations;
    std::vector<std::pair<Direction, JobKind>> jobs;
    std::vector<FoundDevice> found;
    SetupRecord setup;
    std::function<bool(Direction, JobKind)> startJob = [this](Direction d, JobKind k) {
        jobs.emplace_back(d, k);
        return status.busy = true;
    };

    DialogRig() {
        home.Write("Device/DeviceInfo.txt", "7,Router,n\r\n");
        setup.SetBackupDataPath(home.FilePath("backup"));
        setup.ipAddress = "127.0.0.1";
    }
    StationDialogServices Services() {
        return {files, status, stations, startJob, setup, [this] { return found; }};
    }
    void WriteStandardSettings(int bitmapStation, int listStation) {
        QByteArray img(8192, '\0');
        img[stdlayout::kStationBitmap + (bitmapStation - 1) / 8] =
            static_cast<char>(0x80 >> ((bitmapStation - 1) % 8));
        img[stdlayout::kStationUnits + listStation - 1] = 1;
        home.Write("backup/Primary/ZEBU_STD.DAU", image::Encode(img));
    }
    void EndJob(int code = 0) {
        status.lastError = static_cast<std::uint32_t>(code);
        status.error = code != 0 && code != 102;
        status.busy = false;
    }
};

TEST(SecondaryDataModel, checkMenuReadsTheStoredStandardSettings) {
    DialogRig rig;
    SecondaryDataModel model(rig.Services(), Direction::Receive);
    model.Show();
    EXPECT_TRUE(rig.home.Exists("backup/ZEBU_SEC_LIST.dat")) << "showing saves the list";
    model.SetChecked(3, true);
    EXPECT_EQ(model.CheckAll(), 108);
    EXPECT_EQ(model.CheckDevice(), 108);
    EXPECT_EQ(model.CheckedCount(), 1) << "nothing changes without ZEBU_STD.DAU";
    rig.WriteStandardSettings(9, 5);
    EXPECT_EQ(model.CheckAll(), 0);
    EXPECT_TRUE(model.List().At(9).checked);
    EXPECT_FALSE(model.List().At(3).checked);
    EXPECT_TRUE(rig.stations.present[8]);
    EXPECT_EQ(model.CheckDevice(), 0);
    EXPECT_TRUE(model.List().At(5).checked);
    EXPECT_EQ(model.CheckedCount(), 1);
    model.CheckClear();
    EXPECT_FALSE(model.CanStart());
}

TEST(SecondaryDataModel, runShowsEachStationsResultAndChecksCannotChangeMeanwhile) {
    DialogRig rig;
    SecondaryDataModel model(rig.Services(), Direction::Receive);
    model.Show();
    EXPECT_FALSE(model.StartRun()) << "nothing checked";
    for (int id : {5, 9, 12})
        model.SetChecked(id, true);
    const_cast<StationList&>(model.List()).At(5).address = "127.0.0.5";
    ASSERT_TRUE(model.StartRun());
    EXPECT_EQ(rig.jobs, (decltype(rig.jobs){{Direction::Receive, kJobSecondary}})) << "one job, the run's";
    EXPECT_EQ(rig.stations.Address(5), "127.0.0.5");
    EXPECT_EQ(model.Cell(9), (StatusCell{"Ready", kGreen}));
    EXPECT_FALSE(model.SetChecked(7, true)) << "a click during a run is undone";

    rig.stations.currentStation = 5;
    rig.stations.state[5] = StationTables::kInProgress;
    auto r = model.Poll();
    EXPECT_EQ(r.selectStation, 5);
    const StatusCell first = model.Cell(5);
    model.Poll();
    EXPECT_EQ(first.text, "Receiving");
    EXPECT_NE(first.rgb, model.Cell(5).rgb) << "the station in transfer flashes";

    const struct {
        int id, result;
        StatusCell cell;
    } ends[] = {{5, StationTables::kSuccess, {"OK", kBlue}},
                {9, StationTables::kAbortedByStation, {"NG(Disable Station)", kRed}},
                {12, StationTables::kNoAnswer, {"NG(Timeout)", kRed}}};
    for (const auto& e : ends) {
        rig.stations.state[static_cast<std::size_t>(e.id)] = StationTables::kDone;
        rig.stations.result[static_cast<std::size_t>(e.id)] = static_cast<std::uint8_t>(e.result);
    }
    rig.EndJob(304);
    r = model.Poll();
    EXPECT_TRUE(r.ended);
    EXPECT_EQ(r.message, 0) << "the Status column is the report";
    for (const auto& e : ends)
        EXPECT_EQ(model.Cell(e.id), e.cell);

    // The send face says NG for every failure.
    EXPECT_EQ(StationStatusCell(StationTables::kDone, StationTables::kNoAnswer, StatusWords::Send, true).text,
              "NG");
}

TEST(SecondaryDataModel, cancelMarksQueuedStationsAfter102) {
    DialogRig rig;
    SecondaryDataModel model(rig.Services(), Direction::Send);
    model.Show();
    for (int id : {3, 4, 5})
        model.SetChecked(id, true);
    ASSERT_TRUE(model.StartRun());
    rig.stations.state[3] = StationTables::kDone;
    rig.stations.state[4] = StationTables::kInProgress;
    rig.stations.currentStation = 4;
    model.Poll();
    model.Cancel();
    EXPECT_TRUE(rig.status.abortRequest);
    rig.EndJob(102);
    EXPECT_EQ(model.Poll().message, 102);
    EXPECT_EQ(model.Cell(3).text, "OK");
    EXPECT_EQ(model.Cell(4).text, "Cancel");
    EXPECT_EQ(model.Cell(5).text, "Cancel");
    EXPECT_EQ(rig.stations.state[5], StationTables::kCancelled);
}

TEST(SecondaryDataModel, getZMenuAppliesTheMenuMergesTheSearchAndSaves) {
    DialogRig rig;
    rig.setup.selectLan = true;
    rig.found = {{"CAM-12", "12", "127.0.0.12", "127.0.0.1"},
                 {"OTHER", "13", "127.0.9.13", "127.0.9.1"},
                 {"BAD", "x", "127.0.0.99", "127.0.0.1"}};
    SecondaryDataModel model(rig.Services(), Direction::Receive);
    model.Show();
    model.SetChecked(20, true);
    ASSERT_TRUE(model.StartGetZMenu());
    EXPECT_EQ(rig.jobs.back(), std::make_pair(Direction::Receive, kJobStationMenu));
    EXPECT_EQ(model.CheckedCount(), 0);
    rig.stations.present[11] = true; // station 12
    rig.stations.deviceType[11] = 7;
    rig.stations.deviceType[12] = 200; // station 13, not present
    EXPECT_FALSE(model.Poll().openSearch) << "still busy";
    rig.EndJob();
    EXPECT_TRUE(model.Poll().openSearch);
    EXPECT_EQ(model.CurrentMode(), StationDialogModel::kSearch);
    model.SearchClosed();
    EXPECT_TRUE(model.Idle());
    StationList saved;
    ASSERT_TRUE(rig.files.LoadStationList(rig.setup, saved));
    EXPECT_EQ(saved.At(12), (StationList::Entry{true, false, 7, "CAM-12", "127.0.0.12"}));
    EXPECT_EQ(saved.At(13), (StationList::Entry{false, false, 200, "Unknow_200", ""}));
    EXPECT_EQ(saved.CheckedCount(), 1);

    // A failed menu on a serial setup: its message, no search.
    rig.setup.selectLan = false;
    SecondaryDataModel serial(rig.Services(), Direction::Receive);
    serial.Show();
    ASSERT_TRUE(serial.StartGetZMenu());
    rig.EndJob(301);
    const auto failed = serial.Poll();
    EXPECT_EQ(failed.message, 301);
    EXPECT_FALSE(failed.openSearch);
    EXPECT_TRUE(serial.Idle());
}

TEST(NamesToSecondaryModel, broadcastShowsTheJobOnEveryRowAndItsError) {
    DialogRig rig;
    NamesToSecondaryModel model(rig.Services(), kJobAliasToSecondary);
    model.Show();
    model.SetTop(300);
    EXPECT_EQ(model.Top(), 240);
    model.ChooseRow(3);
    EXPECT_EQ(model.Target(), 243);
    model.SetBroadcast(true);
    ASSERT_TRUE(model.Start());
    EXPECT_EQ(rig.jobs.back(), std::make_pair(Direction::Send, kJobAliasToSecondary));
    EXPECT_EQ(rig.stations.currentStation, 255);
    EXPECT_EQ(rig.stations.state[0], 1);
    model.ChooseRow(0);
    EXPECT_EQ(model.Target(), 243) << "no change of target during a run";
    EXPECT_EQ(model.Cell(2).text, "Ready");
    rig.stations.dialogState = 2;
    model.Poll();
    EXPECT_EQ(model.Cell(254).text, "Sending");
    rig.stations.dialogState = 3;
    rig.stations.dialogError = true;
    rig.EndJob(303);
    EXPECT_EQ(model.Poll().message, 303);
    EXPECT_EQ(model.Cell(2), (StatusCell{"NG", kRed}));
    EXPECT_EQ(model.Cell(254).text, "NG");
}

TEST(NamesToSecondaryModel, singleTargetAndCancel) {
    DialogRig rig;
    NamesToSecondaryModel model(rig.Services(), kJobDescriptionToSecondary);
    model.Show();
    model.ChooseRow(5);
    ASSERT_TRUE(model.Start());
    EXPECT_EQ(rig.stations.currentStation, 7);
    EXPECT_EQ(model.Cell(7).text, "Ready");
    EXPECT_EQ(model.Cell(8).text, "");
    model.Cancel();
    rig.EndJob(102);
    EXPECT_EQ(model.Poll().message, 102);
    EXPECT_EQ(model.Cell(7).text, "Cancel");
    // The next start clears the cancel state.
    ASSERT_TRUE(model.Start());
    rig.stations.dialogState = 3;
    rig.EndJob();
    EXPECT_EQ(model.Poll().message, 0);
    EXPECT_EQ(model.Cell(7).text, "OK");
}

TEST(NamesToSecondaryModel, getZMenuTakesTheChecksFromTheStoredDeviceList) {
    DialogRig rig;
    NamesToSecondaryModel model(rig.Services(), kJobDescriptionToSecondary);
    model.Show();
    ASSERT_TRUE(model.StartGetZMenu());
    rig.EndJob();
    EXPECT_EQ(model.Poll().message, 108);
    rig.WriteStandardSettings(2, 6);
    ASSERT_TRUE(model.StartGetZMenu());
    rig.EndJob();
    EXPECT_EQ(model.Poll().message, 0);
    EXPECT_TRUE(model.List().At(6).checked);
    EXPECT_EQ(model.List().CheckedCount(), 1);
}

TEST(FoundDevices, readsModelStationAddressAndPrimaryFromTheDeviceTable) {
    NetworkDeviceTable table;
    ASSERT_TRUE(table.TakeDeviceAnswer(QByteArray("\x02MAC 0A-0B-0C-0D-0E-0F "
                                                  "NAME:CAM-12\xFFZEBUID:0123\xFFIPADRM:127.0.0.12\xFF"
                                                  "OPTIP:127.0.0.1\xFFMODEL:X\xFF")));
    const std::vector<FoundDevice> found = FoundDevicesOf(table.Copy().devices);
    ASSERT_EQ(found.size(), 1u);
    // The model, not the free-text name; ZEBUID keeps three characters.
    const FoundDevice& f = found[0];
    EXPECT_EQ((QStringList{f.name, f.stationId, f.address, f.primaryAddress}),
              (QStringList{"X", "012", "127.0.0.12", "127.0.0.1"}));
}

TEST(FoundDevices, mergeNamesTheStationsOfThisPrimaryOnly) {
    struct Case {
        const char* what;
        FoundDevice device;
        const char* name = nullptr; // station 12's name and address afterwards; none: the list unchanged
        const char* address = "";
        const char* primary = "127.0.0.1"; // the setup's address
    };
    const Case cases[] = {
        {"named and addressed", {"CAM-12", "12", "127.0.0.12", "127.0.0.1"}, "CAM-12", "127.0.0.12"},
        {"leading zeros and blanks", {"CAM", " 012 ", "127.0.0.12", " 127.0.0.1 "}, "CAM", "127.0.0.12"},
        {"another primary", {"CAM-12", "12", "127.0.0.12", "127.0.9.1"}},
        {"no primary address", {"CAM-12", "12", "127.0.0.12", ""}},
        {"a setup without address", {"CAM", "12", "127.0.0.12", ""}, nullptr, "", ""},
        {"station 1", {"P", "1", "127.0.0.2", "127.0.0.1"}},
        {"station 255", {"P", "255", "127.0.0.2", "127.0.0.1"}},
        {"not a number", {"P", "x", "127.0.0.2", "127.0.0.1"}},
        {"no name keeps the menu's", {"", "12", "127.0.0.12", "127.0.0.1"}, "Router", "127.0.0.12"},
        {"name cut, no IPv4 address kept out",
         {"ABCDEFGHIJKLMNOPQRSTUVWXYZ", "12", "127.000.000.00012", "127.0.0.1"},
         "ABCDEFGHIJKLMNOPQRST"},
        {"address of a broadcast", {"CAM", "12", "255.255.255.255", "127.0.0.1"}, "CAM"},
        {"address with a control character", {"CAM", "12", "127.0.0.1\x1b[2J", "127.0.0.1"}, "CAM"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StationList list;
        list.At(12) = {true, false, 7, "Router", ""}; // as the station menu left it
        StationList expected = list;
        if (c.name)
            expected.At(12) = {true, false, 7, c.name, c.address};
        EXPECT_EQ(MergeFoundDevices(list, c.primary, {c.device}), c.name ? 1 : 0);
        EXPECT_EQ(list, expected);
    }
}

TEST(StationNumbers, listsAndRanges) {
    EXPECT_EQ(ParseStationNumbers(u"5,9-11", 2, 254), (std::vector<int>{5, 9, 10, 11}));
    EXPECT_EQ(ParseStationNumbers(u" 12 , 5,5", 2, 254), (std::vector<int>{5, 12}));
    for (const char16_t* bad : {u"", u"1", u"255", u"5-", u"9-5", u"a", u"5,,6"})
        EXPECT_FALSE(ParseStationNumbers(bad, 2, 254)) << QString::fromUtf16(bad).toStdString();
}

} // namespace
} // namespace qdv
