#include "discovery/NetworkDeviceTable.h"
#include "discovery/ui/TwndDevices.h"
#include "discovery/ui/TwndSearch.h"
#include "widgets/TPanelButton.h"

#include <QLabel>
#include <QProgressBar>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace qdv::test {
namespace {

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
    EXPECT_EQ(r.window.windowTitle(), "Searching...");
    EXPECT_EQ(r.window.size(), QSize(274, 89));
    EXPECT_EQ(r.window.findChild<QLabel*>("Label1")->text(), "Detecting the devices on the network.");
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
