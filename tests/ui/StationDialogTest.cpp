#include "DialogDriver.h"
#include "app/TtskCtrl.h"
#include "convert/TmTableRemote.h"
#include "discovery/NetworkDeviceTable.h"
#include "discovery/ui/TwndDevices.h"
#include "discovery/ui/TwndSearch.h"
#include "link/StationTables.h"
#include "link/StatusBlock.h"
#include "secondary/ui/TfrmRcvSecondaryData.h"
#include "secondary/ui/TfrmSndAliasToSecondary.h"
#include "secondary/ui/TfrmSndDescriptionToSecondary.h"
#include "secondary/ui/TfrmSndSecondaryData.h"
#include "sim/SampleDataSet.h"
#include "store/DataFileSet.h"
#include "store/DataImage.h"
#include "support/MainWindowFixture.h"
#include "support/SimProcess.h"
#include "widgets/TPanelButton.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace qdv::test {
namespace {

// The tables a station dialog shares with the link engine, and a task controller stand-in: the tests
// play the engine by writing the tables.
struct Tables {
    TestFolder home;
    TmFile files{home.Path()};
    StatusBlock status;
    StationTables stations;
    QList<std::pair<int, int>> started;
    SetupRecord setup = FullSetup("S", home.FilePath("backup"));

    StationDialogServices Services() {
        const auto start = [this](Direction d, JobKind k) {
            started.append({static_cast<int>(d), static_cast<int>(k)});
            return status.busy = true;
        };
        return {files, status, stations, start, setup, {}};
    }
};

QString StatusText(const TfrmSecondaryData& d, int id) {
    return d.RowItem(id, TfrmSecondaryData::kColStatus)->text();
}
QColor StatusColour(const TfrmSecondaryData& d, int id) {
    return d.RowItem(id, TfrmSecondaryData::kColStatus)->foreground().color();
}

// Get Z Menu on a LAN setup shows the device search once the station menu has ended; the rows then
// carry the names and addresses of the devices of this setup's primary.
TEST(SecondaryDataDialog, getZMenuOnTheLanShowsTheSearchAndTakesItsNamesAndAddresses) {
    Tables t;
    StationDialogServices services = t.Services();
    services.foundDevices = [] {
        return std::vector<FoundDevice>{{"CAM-12", "12", "127.0.0.12", "127.0.0.1"}};
    };
    TfrmRcvSecondaryData d(services);
    int searches = 0;
    d.SetDeviceSearch([&](QWidget* owner) {
        ++searches;
        EXPECT_EQ(owner, &d);
        EXPECT_FALSE(d.ExitButton()->isEnabled()) << "the dialog stays busy while the search is open";
    });
    d.GetZMenuButton()->click();
    ASSERT_EQ(t.started.size(), 1);
    d.timMainTimer();
    EXPECT_EQ(searches, 0) << "not while the station menu runs";
    t.stations.present[11] = true; // station 12
    t.status.busy = false;
    d.timMainTimer();
    EXPECT_EQ(searches, 1);
    EXPECT_EQ(d.RowItem(12, TfrmSecondaryData::kColName)->text(), "CAM-12");
    EXPECT_EQ(d.RowItem(12, TfrmSecondaryData::kColIp)->text(), "127.0.0.12");
    EXPECT_TRUE(d.ExitButton()->isEnabled());
}

// Start is grey until a row is checked; Check All without the stored standard settings says so and keeps
// the checks. A run ignores clicks on the rows and shows its stations; the checks carry to the send dialog.
TEST(SecondaryDataDialog, checkedRowsStartARunThatShowsItsStationsAndCarryToTheSendDialog) {
    Tables t;
    BoxRecorder boxes;
    {
        TfrmRcvSecondaryData d(t.Services());
        EXPECT_EQ(d.windowTitle(), "Receive Secondary Data");
        EXPECT_EQ(d.List()->rowCount(), 253);
        EXPECT_EQ(d.RowItem(2, TfrmSecondaryData::kColId)->text(), "002");
        EXPECT_FALSE(d.StartButton()->isEnabled());
        d.ClickCheckBox(5);
        d.ClickCheckBox(9);
        EXPECT_TRUE(d.StartButton()->isEnabled());
        d.mnuChk_AllClick();
        EXPECT_EQ(boxes.Texts(), QStringList{"ZEBU_STD.DAU doesn't exist."});

        QTest::keyClick(&d, Qt::Key_S, Qt::AltModifier);
        ASSERT_EQ(t.started, (QList<std::pair<int, int>>{{0, kJobSecondary}}));
        EXPECT_TRUE(d.Following());
        EXPECT_FALSE(d.ExitButton()->isEnabled());
        EXPECT_TRUE(d.CancelButton()->isEnabled());
        d.ClickCheckBox(20);
        EXPECT_EQ(d.RowItem(20, TfrmSecondaryData::kColId)->checkState(), Qt::Unchecked);
        EXPECT_EQ(d.CountPanel()->text(), "2");

        t.stations.currentStation = 5;
        t.stations.state[5] = StationTables::kInProgress;
        d.timMainTimer();
        EXPECT_EQ(StatusText(d, 5), "Receiving");
        EXPECT_EQ(d.List()->currentRow(), 3);
        const QColor first = StatusColour(d, 5);
        d.timMainTimer();
        EXPECT_NE(StatusColour(d, 5), first) << "orange and white in turn";

        // Each result's text and colour are the model's to assert, and the run against the simulator
        // shows every result in its row; here the row of the station that ended well takes its own.
        t.stations.state[5] = StationTables::kDone;
        t.stations.result[5] = StationTables::kSuccess;
        t.status.lastError = 304;
        t.status.busy = false;
        d.timMainTimer();
        EXPECT_EQ(StatusText(d, 5), "OK");
        EXPECT_EQ(StatusColour(d, 5), QColor(0, 0, 255));
        EXPECT_FALSE(d.Following());
        EXPECT_TRUE(d.ExitButton()->isEnabled());
        EXPECT_EQ(boxes.boxes.size(), 1) << "the Status column is the report";
        d.ExitButton()->click();
    }
    TfrmSndSecondaryData send(t.Services());
    EXPECT_EQ(send.StartButton()->Caption(), "Start Sending Data(&S)");
    EXPECT_EQ(send.RowItem(5, TfrmSecondaryData::kColId)->checkState(), Qt::Checked);
    EXPECT_EQ(send.CountPanel()->text(), "2");
}

// While a run is on, Alt+C and Esc press Cancel wherever the focus is; the greyed check menu does not
// take Alt+C. The cancelled run says so and marks the station. Idle, Esc closes the dialog.
TEST(SecondaryDataDialog, altCAndEscCancelARunningJobFromTheKeyboard) {
    const struct {
        bool names;
        int key;
        Qt::KeyboardModifiers modifiers;
    } cases[] = {{false, Qt::Key_C, Qt::AltModifier},
                 {false, Qt::Key_Escape, Qt::NoModifier},
                 {true, Qt::Key_C, Qt::AltModifier},
                 {true, Qt::Key_Escape, Qt::NoModifier}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "names " << c.names << " key " << c.key);
        Tables t;
        BoxRecorder boxes;
        std::unique_ptr<TStationDialog> d;
        TfrmSecondaryData* data = nullptr;
        if (c.names) {
            d = std::make_unique<TfrmSndAliasToSecondary>(t.Services());
        } else {
            auto rcv = std::make_unique<TfrmRcvSecondaryData>(t.Services());
            rcv->ClickCheckBox(5);
            data = rcv.get();
            d = std::move(rcv);
        }
        ASSERT_TRUE(ShowActive(*d));
        d->StartButton()->click();
        ASSERT_TRUE(d->Following());
        QWidget* focus = d->focusWidget() ? d->focusWidget() : d.get();
        QTest::keyClick(focus, static_cast<Qt::Key>(c.key), c.modifiers);
        EXPECT_TRUE(t.status.abortRequest);
        EXPECT_TRUE(d->isVisible()) << "a running job keeps the dialog open";
        t.status.lastError = 102;
        t.status.busy = false;
        d->timMainTimer();
        d->timMainTimer();
        EXPECT_EQ(boxes.Texts(), QStringList{"The communication was aborted."});
        if (data != nullptr) {
            EXPECT_EQ(StatusText(*data, 5), "Cancel");
            EXPECT_EQ(StatusColour(*data, 5), QColor(255, 0, 0));
        }
        QTest::keyClick(d->focusWidget() ? d->focusWidget() : d.get(), Qt::Key_Escape);
        EXPECT_FALSE(d->isVisible()) << "idle, Esc closes";
    }
}

TEST(NamesToSecondaryDialog, radioButtonsScrollingAndBroadcast) {
    Tables t;
    TfrmSndAliasToSecondary d(t.Services());
    EXPECT_EQ(d.windowTitle(), "Send Alias to Secondary");
    EXPECT_TRUE(d.Radio(0)->isChecked());
    d.Radio(4)->click();
    EXPECT_EQ(d.Model().Target(), 6);
    d.ScrollBar()->setValue(240);
    EXPECT_EQ(d.RowItem(14, TfrmNamesToSecondary::kColId)->text(), "254");
    EXPECT_FALSE(d.Radio(0)->isChecked());
    d.ScrollBar()->setValue(2);
    EXPECT_TRUE(d.Radio(4)->isChecked()) << "the target keeps its radio button";

    d.BroadcastBox()->click();
    EXPECT_FALSE(d.Radio(0)->isEnabled());
    d.StartButton()->click();
    EXPECT_EQ(t.started.back(), std::make_pair(1, int(kJobAliasToSecondary)));
    EXPECT_EQ(t.stations.currentStation, 255);
    t.stations.dialogState = 2;
    d.timMainTimer();
    EXPECT_EQ(d.RowItem(0, TfrmNamesToSecondary::kColStatus)->text(), "Sending");
    d.ScrollBar()->setValue(100);
    EXPECT_EQ(d.RowItem(7, TfrmNamesToSecondary::kColStatus)->text(), "Sending");
    t.stations.dialogState = 3;
    t.status.busy = false;
    d.timMainTimer();
    EXPECT_EQ(d.RowItem(7, TfrmNamesToSecondary::kColStatus)->text(), "OK");
}

// The gauge coming and going during a run leaves the dialog's size and its 15 rows as they were; the
// mouse wheel over the rows moves them.
TEST(NamesToSecondaryDialog, keepsItsSizeThroughARunAndTheWheelScrollsTheRows) {
    Tables t;
    TfrmSndDescriptionToSecondary d(t.Services());
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    const QSize size = d.size();
    const int listHeight = d.List()->height();
    d.StartButton()->click();
    t.status.ShowGauge(true, 100);
    d.timMainTimer();
    EXPECT_TRUE(d.Gauge()->isVisible());
    EXPECT_EQ(d.size(), size);
    t.stations.dialogState = 3;
    t.status.busy = false;
    d.timMainTimer();
    EXPECT_FALSE(d.Gauge()->isVisible());
    EXPECT_EQ(d.size(), size);
    EXPECT_EQ(d.List()->height(), listHeight);

    QWheelEvent wheel(QPointF(20, 20), d.List()->viewport()->mapToGlobal(QPointF(20, 20)), QPoint(),
                      QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(d.List()->viewport(), &wheel);
    EXPECT_GT(d.ScrollBar()->value(), 2);
    EXPECT_EQ(d.RowItem(0, TfrmNamesToSecondary::kColId)->text(),
              QString::asprintf("%03d", d.ScrollBar()->value()));
}

// The receive dialog against the simulator with a disabled and a silent station; its picture goes into
// the README when QDV70_SCREENSHOT names a file.
TEST(SecondaryDataDialog, receiveRunAgainstTheSimulatorWithMixedResults) {
    TestFolder device;
    QString error;
    ASSERT_TRUE(WriteSampleDataSet(device.Path(), &error)) << error.toStdString();
    const int size = datafiles::Entry(datafiles::kStationDat).imageSize;
    for (const int s : {5, 9, 12})
        device.Write(datafiles::FileName(datafiles::kStationDat, s),
                     image::Encode(QByteArray(size, char(s))));
    SimProcess sim(device.Path(), {}, {"--disabled-station", "9", "--silent-station", "12"});
    ASSERT_TRUE(sim.Ok());

    Tables t;
    t.setup.selectLan = true;
    t.setup.ipAddress = "127.0.0.1";
    t.setup.remote3Port = sim.Port();
    StationList list;
    for (int s : {2, 3, 4, 5, 9, 12}) {
        list.At(s) = {true, false, 1, QStringLiteral("Panel %1").arg(s), QStringLiteral("127.0.0.%1").arg(s)};
    }
    list.At(3).checked = list.At(4).checked = false;
    ASSERT_TRUE(t.files.SaveStationList(t.setup, list));
    TmTableRemote resolver;
    PortSettings ports;
    TtskCtrl control(TtskCtrl::kLinkEngine, t.status, t.stations, resolver, t.files, ports,
                     [&] { return t.setup; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return control.Ready(); }, 30000));
    StationDialogServices services = t.Services();
    services.startJob = [&control](Direction d, JobKind k) { return control.StartJob(d, k); };
    BoxRecorder boxes;
    TfrmRcvSecondaryData d(services);
    d.show();
    d.StartButton()->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !d.Following(); }, 60000));
    EXPECT_EQ(StatusText(d, 2), "OK");
    EXPECT_EQ(StatusText(d, 5), "OK");
    EXPECT_EQ(StatusText(d, 9), "NG(Disable Station)");
    EXPECT_EQ(StatusText(d, 12), "NG(Timeout)");
    EXPECT_EQ(StatusText(d, 3), "");
    d.List()->scrollToTop();
    d.List()->clearSelection();
    SaveShot(d, qEnvironmentVariable("QDV70_SCREENSHOT"));
}

struct SearchRig {
    QList<int> kinds;
    QList<int> progressAtRequest;
    TwndSearch window{[this](int entry, int kind) {
        EXPECT_EQ(entry, NetworkDeviceTable::kNoEntry);
        kinds << kind;
        progressAtRequest << window.Progress()->value();
        return true;
    }};
    SearchRig() { window.SetPace(0.01); } // 10 ms and 20 ms instead of 1 s and 2 s
};

TEST(SearchWindow, runsThreePassesShowingProgressAndClosesItself) {
    SearchRig r;
    for (int round = 0; round < 2; ++round) { // a second showing starts again from an empty bar
        r.kinds.clear();
        r.progressAtRequest.clear();
        r.window.show();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !r.window.isVisible(); }, 20000));
        EXPECT_EQ(r.window.result(), QDialog::Accepted);
        EXPECT_EQ(r.kinds, (QList<int>{0, 1, 0, 1, 0, 1}));
        EXPECT_EQ(r.progressAtRequest, (QList<int>{0, 1, 2, 3, 4, 5}));
        EXPECT_EQ(r.window.Progress()->value(), 6);
    }
}

TEST(SearchWindow, cancelBeforeTheSecondRequest_closesAfterOneNetworkRequest) {
    SearchRig r;
    r.window.SetPace(0.5);
    r.window.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !r.kinds.isEmpty(); }, 5000));
    QTest::mouseClick(r.window.CancelButton(), Qt::LeftButton);
    EXPECT_FALSE(r.window.isVisible());
    EXPECT_EQ(r.window.result(), QDialog::Rejected);
    QTest::qWait(700); // past the moment the "ENQ:DEVINFO" would have gone
    EXPECT_EQ(r.kinds, QList<int>{0});
}

TEST(DevicesWindow, listsTheTableInOrder) {
    NetworkDeviceTable table;
    TwndDevices empty(table);
    EXPECT_EQ(empty.Grid()->rowCount(), 0);
    EXPECT_EQ(empty.Summary(), "No device answered.");
    for (const char* mac : {"00-00-00-00-00-02", "00-00-00-00-00-01"})
        table.TakeDatagram(QByteArray("\x02MAC ") + mac + " ZEBUID:7\xFFNAME:Hall\xFFOPTIP:127.0.0.1\xFF");
    TwndDevices list(table);
    ASSERT_EQ(list.Grid()->rowCount(), 2);
    EXPECT_EQ(list.Grid()->item(0, 0)->text(), "00-00-00-00-00-02");
    EXPECT_EQ(list.Grid()->item(1, 1)->text(), "7");
    EXPECT_EQ(list.Grid()->item(1, 4)->text(), "127.0.0.1");
    EXPECT_EQ(list.Grid()->item(1, 5)->text(), "Hall");
    EXPECT_EQ(list.Summary(), "2 device(s) found.");
}

} // namespace
} // namespace qdv::test
