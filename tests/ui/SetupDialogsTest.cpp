#include "DialogDriver.h"
#include "setups/ui/TFontChooser.h"
#include "setups/ui/TfrmAdvance.h"
#include "setups/ui/TfrmConfigurationSetup.h"
#include "setups/ui/TfrmRemote3.h"
#include "setups/ui/TfrmSetup.h"
#include "support/MainWindowFixture.h"
#include "support/SetupsRig.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

namespace qdv::test {
namespace {

template <class W> W* Child(QWidget& parent, const char* name) {
    return parent.findChild<W*>(QString::fromLatin1(name));
}

TEST(SetupDialogs, newAndModifyThroughTheMenuAndTheMainWindowFollows) {
    MainWindowHarness h({FullSetup("Studio A", {}), FullSetup("Hall B", {})});
    const QString folder = h.folder.FilePath("serial backup");
    const auto previous =
        TfrmSetup::SetFolderBrowser([&](QWidget*, const QString& title, const QString& start) {
            EXPECT_EQ(title, "Select Backup Data Path");
            EXPECT_EQ(start, h.Modules().Files().HomeFolder()); // no path yet
            return folder;
        });
    WhenShown<TfrmConfigurationSetup>([&](TfrmConfigurationSetup& list) {
        EXPECT_EQ(list.List()->currentRow(), 0);
        Shot(list, "setup-list.png");
        WhenShown<TfrmSetup>([&](TfrmSetup& e) {
            Click(e, "btnOk"); // nothing entered: refused, and the editor stays open
            Child<QLineEdit>(e, "editSetupName")->setText("Serial");
            Click(e, "btnGetFoldr");
            Child<QRadioButton>(e, "rdoRs")->click();
            EXPECT_TRUE(Child<QLineEdit>(e, "edtIp")->isHidden());
            Child<QComboBox>(e, "cmbPort")->setCurrentIndex(14);
            EXPECT_EQ(Child<QLabel>(e, "lblDevice")->text(), "/dev/ttyS14");
            Shot(e, "setup-editor-serial.png");
            Click(e, "btnOk");
        });
        Click(list, "btnNew");
        EXPECT_EQ(Rows(list.List()), QStringList({"Studio A", "Hall B", "Serial"}));
        EXPECT_EQ(list.List()->currentRow(), 2);
        list.accept();
    });
    h.Window().mnu_Setup_SetupClick();
    TfrmSetup::SetFolderBrowser(previous);

    EXPECT_EQ(h.boxes.Texts(), QStringList{"Please input Setup Name."});
    // The new setup is selected, and the main window shows it.
    const SetupTable& t = h.Modules().Table().Setups();
    ASSERT_EQ(t.count, 3);
    EXPECT_EQ(t.selected, 2);
    EXPECT_EQ(t.records[2].backupDataPath, folder);
    EXPECT_EQ(h.Window().SetupList()->count(), 3);
    EXPECT_EQ(h.Window().SetupList()->currentText(), "Serial");
    EXPECT_EQ(h.Window().ConnectionText(), "COM15,38400");

    // Modify Hall B: a typed address lands in the mask's groups and is stored without blanks.
    WhenShown<TfrmConfigurationSetup>([&](TfrmConfigurationSetup& list) {
        list.List()->setCurrentRow(1);
        WhenShown<TfrmSetup>([&](TfrmSetup& e) {
            auto* ip = Child<QLineEdit>(e, "edtIp");
            EXPECT_EQ(ip->displayText(), "127.0  .0  .1  ");
            ip->selectAll();
            ip->del();
            ip->home(false);
            QTest::keyClicks(ip, "127.1.20.3");
            EXPECT_EQ(ip->displayText(), "127.1  .20 .3  ");
            Shot(e, "setup-editor.png");
            Child<QLineEdit>(e, "editSetupName")->setText("B2");
            Click(e, "btnOk");
        });
        QTest::keyClick(list.List(), Qt::Key_Return); // Enter is Modify
        EXPECT_EQ(list.List()->item(1)->text(), "B2");
        list.reject();
    });
    h.Window().mnu_Setup_SetupClick();
    EXPECT_EQ(t.records[1].ipAddress, "127.1.20.3");
    EXPECT_EQ(t.selected, 1);
    EXPECT_EQ(h.Window().SetupList()->currentText(), "B2");
    EXPECT_EQ(h.Window().ConnectionText(), "LAN,1001");
    auto reloaded = std::make_unique<SetupTable>();
    h.Modules().Files().LoadSetupList(*reloaded, MenuFont());
    EXPECT_EQ(reloaded->selected, 1);
}

TEST(SetupDialogs, copyCancelMoveAndDelete) {
    SetupsRig rig({"A", "B", "C"}, true);
    // The setup list shown but not modal, so that the test presses its buttons.
    PortSettings ports;
    TfrmConfigurationSetup dialog(rig.list, ports, rig.home.Path());
    ASSERT_TRUE(ShowActive(dialog));
    QListWidget* list = dialog.List();
    list->setFocus();
    BoxRecorder boxes(kButtonOk);

    // A cancelled copy leaves nothing behind.
    list->setCurrentRow(0);
    WhenShown<TfrmSetup>([](TfrmSetup& e) {
        EXPECT_EQ(Child<QLineEdit>(e, "editSetupName")->text(), "A (2)");
        Click(e, "btnCancel");
    });
    Click(dialog, "btnCopy");
    EXPECT_EQ(rig.Reloaded()->count, 3);

    list->setCurrentRow(1);
    WhenShown<TfrmSetup>([](TfrmSetup& e) { Click(e, "btnOk"); });
    Click(dialog, "btnCopy");
    EXPECT_EQ(Rows(list), QStringList({"A", "B", "C", "B (2)"}));
    EXPECT_EQ(list->currentRow(), 3);

    // Up on the last row, then Alt+U once more (the list's test holds that fonts and the file follow).
    Click(dialog, "btnUp");
    QTest::keyClick(list, Qt::Key_U, Qt::AltModifier);
    EXPECT_EQ(Rows(list), QStringList({"A", "B (2)", "B", "C"}));
    EXPECT_EQ(list->currentRow(), 1);

    // Delete asks first; declining keeps the setup.
    boxes.answer = kButtonCancel;
    Click(dialog, "btnDelete");
    boxes.answer = kButtonOk;
    Click(dialog, "btnDelete");
    EXPECT_EQ(Rows(list), QStringList({"A", "B", "C"}));
    EXPECT_EQ(list->currentRow(), 0);
    ASSERT_EQ(boxes.Texts(), QStringList(2, "Do you want to delete the selected setup?\n\nB (2)"));
    EXPECT_EQ(boxes.boxes[0].icon, QMessageBox::Information);

    // Without a selection the row buttons are greyed and Enter does nothing.
    list->clearSelection();
    EXPECT_FALSE(Child<QWidget>(dialog, "btnModify")->isEnabled());
    EXPECT_TRUE(Child<QWidget>(dialog, "btnNew")->isEnabled());
    QTest::keyClick(list, Qt::Key_Return);
    list->setCurrentRow(0);
    EXPECT_FALSE(Child<QWidget>(dialog, "btnUp")->isEnabled());
    EXPECT_TRUE(Child<QWidget>(dialog, "btnDown")->isEnabled());
}

TEST(SetupDialogs, advancedOptionsStoreBoxesPortAndFont) {
    SetupsRig rig({"A"});
    rig.table->fonts[0] = SetupFont(); // never had a font
    PortSettings ports;
    TfrmSetup editor(rig.list, ports, rig.home.Path());
    BoxRecorder boxes;
    WhenShown<TfrmSetup>([&](TfrmSetup& e) {
        WhenShown<TfrmAdvance>([&](TfrmAdvance& a) {
            Shot(a, "setup-advance.png");
            Child<QCheckBox>(a, "chkSnd")->click();
            EXPECT_FALSE(Child<QCheckBox>(a, "chkSndF5")->isEnabled());
            EXPECT_TRUE(Child<QCheckBox>(a, "chkSndF5")->isChecked());
            Child<QCheckBox>(a, "chkBackup_STD")->click();
            Child<QCheckBox>(a, "chkEditF2")->click();
            WhenShown<TfrmRemote3>([](TfrmRemote3& r) {
                Shot(r, "setup-remote3.png");
                auto* port = Child<QLineEdit>(r, "edtRemote3");
                EXPECT_EQ(port->text(), "1001");
                for (const char* bad : {"70000", "0", "abc"}) {
                    port->setText(QString::fromLatin1(bad));
                    Click(r, "btnOk");
                }
                port->setText("2002");
                Click(r, "btnOk");
            });
            Click(a, "btnRemote");
            WhenShown<TFontChooser>([](TFontChooser& f) {
                EXPECT_EQ(Child<QSpinBox>(f, "edtSize")->value(), 8); // the menu font at 8 points
                EXPECT_EQ(Child<QSpinBox>(f, "edtSize")->maximum(), 9);
                Child<QFontComboBox>(f, "cmbFace")->setEditText("Mono Test");
                Child<QSpinBox>(f, "edtSize")->setValue(9);
                Child<QCheckBox>(f, "chkBold")->setChecked(true);
                auto* colour = Child<QComboBox>(f, "cmbColor");
                colour->setCurrentIndex(colour->findText("Red"));
                auto* charset = Child<QComboBox>(f, "cmbCharset");
                charset->setCurrentIndex(charset->findData(128));
                Click(f, "btnOk");
            });
            QTest::keyClick(&a, Qt::Key_F, Qt::AltModifier);
            Click(a, "btnOk");
        });
        Click(e, "btnAdvance");
        Click(e, "btnCancel");
    });
    EXPECT_FALSE(editor.ShowModify(1));
    EXPECT_EQ(editor.AcceptedName(), "A");

    // The three refused ports.
    EXPECT_EQ(boxes.Texts(), QStringList(3, "Please input a port number from 1 to 65535."));
    // Cancel in the editor keeps what the advanced options stored.
    const SetupRecord& r = rig.table->records[0];
    EXPECT_FALSE(r.sendAll);
    EXPECT_EQ(r.sendButtons, 0x3F);
    EXPECT_EQ(r.primaryBackupFiles, 0xFE);
    EXPECT_EQ(r.editButtons, 0x01);
    EXPECT_EQ(r.remote3Port, 2002);
    const SetupFont& f = rig.table->fonts[0];
    EXPECT_EQ(f.name, "Mono Test");
    EXPECT_EQ(f.size, 9);
    EXPECT_EQ(f.height, -12);
    EXPECT_EQ(f.color, 0x0000FF);
    EXPECT_EQ(f.charset, 128);
    EXPECT_TRUE(f.bold && !f.italic && !f.underline && !f.strikeOut);
}

} // namespace
} // namespace qdv::test
