// Pictures of the setup dialogs for the README: run with QDV70_SCREENSHOT_DIR set, under a real
// display server (xvfb-run), e.g.
//   QDV70_SCREENSHOT_DIR=docs QT_QPA_PLATFORM=xcb xvfb-run -a build/bin/test_ui
//   --gtest_filter='SetupScreenshots.*'

#include "DialogDriver.h"
#include "setups/ui/TfrmAdvance.h"
#include "setups/ui/TfrmConfigurationSetup.h"
#include "setups/ui/TfrmRemote3.h"
#include "setups/ui/TfrmSetup.h"
#include "support/SetupsRig.h"

#include <QDir>
#include <QListWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace qdv::test {
namespace {

void Save(QWidget& w, const QString& dir, const char* name) {
    QTest::qWait(100);
    EXPECT_TRUE(w.grab().save(QDir(dir).filePath(QString::fromLatin1(name)))) << name;
}

TEST(SetupScreenshots, theFourDialogs) {
    const QString dir = qEnvironmentVariable("QDV70_SCREENSHOT_DIR");
    if (dir.isEmpty())
        GTEST_SKIP() << "QDV70_SCREENSHOT_DIR is not set";
    SetupsRig rig({"Studio A", "Hall B (serial)", "OB Van 3"});
    rig.table->records[0].SetBackupDataPath("/srv/qdv70/studio-a");
    rig.table->records[0].ipAddress = "127.168.10.21";
    rig.table->records[1].selectLan = false;
    rig.table->records[1].comPort = 2;
    rig.table->records[1].sendAll = false;
    PortSettings ports;
    TfrmConfigurationSetup list(rig.list, ports, rig.home.Path());
    WhenShown<TfrmConfigurationSetup>([&](TfrmConfigurationSetup& l) {
        l.List()->setCurrentRow(0);
        Save(l, dir, "setup-list.png");
        WhenShown<TfrmSetup>([&](TfrmSetup& e) {
            Save(e, dir, "setup-editor.png");
            WhenShown<TfrmAdvance>([&](TfrmAdvance& a) {
                a.findChild<QWidget*>("chkRcv")->setFocus();
                Save(a, dir, "setup-advance.png");
                WhenShown<TfrmRemote3>([&](TfrmRemote3& r) {
                    Save(r, dir, "setup-remote3.png");
                    Click(r, "btnCancel");
                });
                Click(a, "btnRemote");
                Click(a, "btnCancel");
            });
            Click(e, "btnAdvance");
            Click(e, "btnCancel");
        });
        Click(l, "btnModify");
        l.reject();
    });
    list.exec();
    // The serial setup in the editor, for its port and device.
    TfrmSetup editor(rig.list, ports, rig.home.Path());
    WhenShown<TfrmSetup>([&](TfrmSetup& e) {
        Save(e, dir, "setup-editor-serial.png");
        Click(e, "btnCancel");
    });
    editor.ShowModify(2);
}

} // namespace
} // namespace qdv::test
