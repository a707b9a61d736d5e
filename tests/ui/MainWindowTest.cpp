#include "app/HelpFiles.h"
#include "convert/DescriptionTable.h"
#include "history/BackupHistory.h"
#include "history/JobRecord.h"
#include "history/ui/THistoryDlg.h"
#include "store/DataFileSet.h"
#include "store/DataImage.h"
#include "support/HangingRemote.h"
#include "support/MainWindowFixture.h"
#include "widgets/TPanelButton.h"
#include "widgets/TTabBar.h"

#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QTranslator>
#include <QTreeWidget>
#include <QUrl>
#include <gtest/gtest.h>

namespace qdv::test {
namespace {

const QString kAcquired = QStringLiteral("The following files were not able to be acquired.");
const QString kTransmitted = QStringLiteral("The following files were not able to be transmitted.");

// Which tabs the tab row shows and which buttons each tab's panel shows, as bit sets.
struct Shown {
    std::array<bool, kTabCount> tabs{};
    std::array<int, kTabCount> buttons{};
    bool operator==(const Shown&) const = default;
};

Shown WhatIsShown(TfrmMain& w) {
    Shown s;
    for (int tab = 0; tab < kTabCount; ++tab) {
        s.tabs[tab] = w.Tabs()->isVisible() && w.Tabs()->isTabVisible(tab);
        for (int place = 0; place < MainWindowModel::kPlaces; ++place) {
            if (TPanelButton* b = w.Button(tab, place); b && b->isVisibleTo(w.Panel(tab)))
                s.buttons[tab] |= 1 << place;
        }
    }
    return s;
}

bool AllFunctionButtonsDisabled(TfrmMain& w) {
    for (int tab = 0; tab < kTabCount; ++tab) {
        for (int place = 0; place < MainWindowModel::kPlaces; ++place) {
            if (TPanelButton* b = w.Button(tab, place); b && b->isEnabled())
                return false;
        }
    }
    return true;
}

// Which tabs and buttons a setup offers is the model's to decide (its unit test holds every arrangement);
// the window shows what the model says for the selected setup and makes its backup folders.
TEST(MainWindow, tabsAndButtonsFollowTheSelectedSetup) {
    struct Case {
        bool r, s, e;
        int rb, sb, eb;
        Shown expected;
        int current;
    };
    const Case cases[] = {
        {true, true, true, 15, 63, 3, {{true, true, true}, {15, 63, 3}}, kTabReceive},
        {false, true, true, 15, 36, 1, {{false, true, true}, {0, 36, 1}}, kTabSend},
        {false, false, false, 15, 63, 3, {{false, false, false}, {0, 0, 0}}, kTabNone},
    };
    QList<SetupRecord> setups;
    for (const Case& c : cases) {
        SetupRecord r = FullSetup(QString::number(setups.size()), QString());
        std::tie(r.receiveAll, r.sendAll, r.editAll) = std::tie(c.r, c.s, c.e);
        std::tie(r.receiveButtons, r.sendButtons, r.editButtons) = std::tie(c.rb, c.sb, c.eb);
        setups << r;
    }
    MainWindowHarness h(setups);
    for (int i = 0; i < setups.size(); ++i) {
        SCOPED_TRACE(i);
        h.Window().SetupList()->setCurrentIndex(i);
        EXPECT_EQ(WhatIsShown(h.Window()), cases[i].expected);
        for (int tab = 0; tab < kTabCount; ++tab)
            EXPECT_EQ(h.Window().Panel(tab)->isVisible(), tab == cases[i].current) << tab;
        EXPECT_EQ(h.Modules().Table().Setups().selected, i);
        EXPECT_TRUE(QFileInfo(h.Backup(i) + "/XPoint").isDir());
    }
}

// Without setups the function keys are dead but Alt+E exits; closing asks first, and Cancel keeps the
// program running.
TEST(MainWindow, withoutSetupsNoTabShowsFunctionKeysAreDeadAndAltEExitsAfterAsking) {
    MainWindowHarness h({});
    EXPECT_EQ(WhatIsShown(h.Window()), Shown{});
    for (int key = Qt::Key_F1; key <= Qt::Key_F6; ++key)
        h.Key(key);
    EXPECT_TRUE(h.started.isEmpty());
    EXPECT_TRUE(h.Window().ExitButton()->isEnabled());
    EXPECT_TRUE(h.Window().ConnectionText().isEmpty());
    EXPECT_EQ(h.Window().StatusLine1(), "No setups yet: Setup > Setup... adds one");
    h.boxes.answer = kButtonCancel;
    h.Key(Qt::Key_E, Qt::AltModifier);
    ASSERT_EQ(h.boxes.Texts(), QStringList{"Do you quit the application?"});
    EXPECT_EQ(h.boxes.boxes[0].icon, QMessageBox::Information);
    EXPECT_EQ(h.boxes.boxes[0].buttons, (QStringList{"OK", "Cancel"}));
    EXPECT_TRUE(h.Window().isVisible());
    EXPECT_FALSE(h.Window().ExitButton()->Lowered());
    h.boxes.answer = kButtonOk;
    h.Key(Qt::Key_E, Qt::AltModifier);
    EXPECT_FALSE(h.Window().isVisible());
}

// A send button is greyed while its file is missing; a file there that cannot be sent is said so. The
// buttons of the secondary stations open their dialogs.
TEST(MainWindow, sendButtonsNeedTheirFilesAFileThatCannotBeSentStartsNothingAndF4ToF6OpenDialogs) {
    MainWindowHarness h({FullSetup("A", QString())});
    h.folder.Write("backup0/Name/ZEBU_NME.DAU", "too short to be a description file");
    h.folder.Write("backup0/Name/ZEBU_ALS1.DAU", "x");
    QList<std::pair<int, int>> opened;
    h.Window().SetStationDialogOpener([&](Direction direction, int place, const SetupRecord&) {
        opened.append({static_cast<int>(direction), place});
    });
    h.Key(Qt::Key_F4);
    h.Window().Tabs()->setCurrentIndex(kTabSend);
    TPanelButton* crosspoint = h.Window().Button(kTabSend, MainWindowModel::kPlaceCrosspoint);
    EXPECT_FALSE(crosspoint->isEnabled());
    EXPECT_TRUE(h.Window().Button(kTabSend, MainWindowModel::kPlaceDescription)->isEnabled());
    h.Key(Qt::Key_F1);
    EXPECT_TRUE(h.started.isEmpty());
    EXPECT_EQ(h.boxes.Texts(), QStringList{kTransmitted + "\n       ZEBU_NME.DAU"});
    EXPECT_FALSE(h.Window().Button(kTabSend, MainWindowModel::kPlaceDescription)->Lowered());
    for (int key : {Qt::Key_F4, Qt::Key_F5, Qt::Key_F6})
        h.Key(key);
    EXPECT_EQ(opened, (QList<std::pair<int, int>>{{0, 3}, {1, 3}, {1, 4}, {1, 5}}));

    // The rule is looked at again when the tab is shown again.
    h.folder.Write("backup0/XPoint/zebu_xpt.dau", "x");
    h.Window().Tabs()->setCurrentIndex(kTabReceive);
    h.Window().Tabs()->setCurrentIndex(kTabSend);
    EXPECT_TRUE(crosspoint->isEnabled());
}

TEST(MainWindow, aJobFromF1DisablesTheWindowAndEscAbortsItWithoutAnErrorBox) {
    MainWindowHarness h({FullSetup("A", QString())});
    TfrmMain& w = h.Window();
    h.Key(Qt::Key_F1);
    ASSERT_EQ(h.started.size(), 1);

    TPanelButton* description = w.Button(kTabReceive, 0);
    EXPECT_TRUE(description->Lowered());
    EXPECT_TRUE(AllFunctionButtonsDisabled(w));
    EXPECT_TRUE(w.CancelButton()->isEnabled());
    EXPECT_FALSE(w.ExitButton()->isEnabled());
    EXPECT_FALSE(w.SetupList()->isEnabled());
    EXPECT_FALSE(w.SetupMenu()->menuAction()->isEnabled());
    EXPECT_FALSE(w.HelpMenu()->menuAction()->isEnabled());
    // Closing is refused without a question while the job runs.
    EXPECT_FALSE(w.close());

    // Progress and status texts reach the gauge and both status bars.
    h.Status().ShowGauge(true, 1000);
    h.Status().SetProgress(250);
    h.Status().SetStatusLines(1, "ZEBU_NME.DAU", 0);
    h.Status().SetLine2("0102030405");
    w.timMainTimer();
    EXPECT_TRUE(w.GaugeStrip()->isVisible());
    EXPECT_EQ(w.Gauge()->maximum(), 1000);
    EXPECT_EQ(w.Gauge()->value(), 250);
    EXPECT_EQ(w.StatusLine1(), "ZEBU_NME.DAU");
    EXPECT_EQ(w.StatusLine2(), "0102030405");

    h.Key(Qt::Key_Escape);
    EXPECT_TRUE(h.Status().abortRequest);
    EXPECT_TRUE(w.CancelButton()->Lowered());
    h.Status().ShowGauge(false, 0);
    h.FinishJob(false, 102);

    // A user abort is no error: only the file the job did not get is listed.
    ASSERT_EQ(h.boxes.Texts(), QStringList{kAcquired + "\n       ZEBU_NME.DAU"});
    EXPECT_EQ(h.boxes.boxes[0].icon, QMessageBox::Warning);
    EXPECT_FALSE(w.GaugeStrip()->isVisible());
    EXPECT_TRUE(description->isEnabled());
    EXPECT_FALSE(description->Lowered());
    EXPECT_FALSE(w.CancelButton()->isEnabled());
    EXPECT_FALSE(w.CancelButton()->Lowered());
    EXPECT_TRUE(w.ExitButton()->isEnabled());
}

// Each key of a tab starts its job in its direction (the model's unit test holds which key acts where),
// and the end of the job reports what failed.
TEST(MainWindow, keysStartTheirJobsAndTheEndReportsFailuresAsTheOperatorMustSeeThem) {
    // Primary bits: 0 STD, 1 TLN, 2 GPH, 3 LVG, 4 INH, 5 SGP, 6 422, 7 IDX.
    const int R = kTabReceive;
    const std::pair<int, int> receivePrimary{0, kJobPrimary};
    const struct {
        int tab, key;
        std::pair<int, int> started; // direction (0 receive, 1 send), kind
        bool error;
        int lastError;
        std::uint32_t done;
        QStringList texts;
    } cases[] = {
        {R,
         Qt::Key_F3,
         receivePrimary,
         false,
         303,
         0xDD,
         {kAcquired + "\n       ZEBU_TLN.DAU\n       ZEBU_SGP.DAU"}},
        {kTabSend, Qt::Key_F3, {1, kJobPrimary}, false, 317, 0x7F, {kTransmitted + "\n       ZEBU_IDX.DAU"}},
        {R, Qt::Key_F3, receivePrimary, false, 0, 0xFF, {}},                          // all there
        {R, Qt::Key_F3, receivePrimary, true, 301, 0, {"Time-out(Cannot connect.)"}}, // no connection
        {R, Qt::Key_F1, {0, kJobDescription}, true, 310, 0, {"Error(Packet CS.)"}},   // description fails
        {R, Qt::Key_F2, {0, kJobCrosspoint}, false, 0, 0, {}},                        // crosspoint works
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.key << " " << c.lastError);
        MainWindowHarness h({FullSetup("A", QString())});
        h.Window().Tabs()->setCurrentIndex(c.tab);
        h.Key(c.key);
        ASSERT_EQ(h.started, (QList<std::pair<int, int>>{c.started}));
        EXPECT_TRUE(h.Window().Polling());
        h.FinishJob(c.error, c.lastError, c.done);
        for (const ShownBox& b : h.boxes.boxes) {
            EXPECT_EQ(b.icon, QMessageBox::Warning);
            EXPECT_EQ(b.buttons, QStringList{"OK"});
        }
        EXPECT_EQ(h.boxes.Texts(), c.texts);
    }
}

// A history remote that takes the connection and never answers: the snapshot after a receive waits on
// it beside the window, which keeps running with its buttons off; when the remote gives up, the window
// says why and takes jobs again.
TEST(MainWindow, aHistoryPushThatHangsLeavesTheWindowRunning) {
    MainWindowHarness h({FullSetup("A", QString())});
    h.folder.Write("backup0/Name/ZEBU_NME.DAU", "names\r\n");
    HangingRemote remote;
    // After the program's start-up, which sets the history's options from the home folder.
    history::BackupHistory::Configure({remote.Url()});
    h.Key(Qt::Key_F1);
    ASSERT_EQ(h.started.size(), 1);
    h.EndJob(false, 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return remote.Taken(); }, 10000));
    EXPECT_TRUE(h.Window().Polling());
    EXPECT_FALSE(h.Window().ExitButton()->isEnabled());
    EXPECT_FALSE(h.Window().Button(kTabReceive, 0)->isEnabled());
    remote.Release();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !h.Window().Polling(); }, 30000));
    EXPECT_FALSE(h.Window().StatusLine1().isEmpty());
    EXPECT_TRUE(h.Window().ExitButton()->isEnabled());
    EXPECT_TRUE(h.boxes.boxes.isEmpty());
}

// Records what the desktop would be asked to open.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public Q_SLOTS:
    void Open(const QUrl& url) { urls << url; }
};

TEST(MainWindow, helpOpensTheHelpFileWithTheDesktopOrSaysItIsMissing) {
    UrlRecorder opened;
    QDesktopServices::setUrlHandler("file", &opened, "Open");
    MainWindowHarness h({FullSetup("A", QString())});
    h.Window().SetManualFolders({h.folder.FilePath("manual")});
    h.Window().mnu_Help_HelpClick();
    ASSERT_EQ(h.boxes.Texts(),
              QStringList{"Not found Help File.\n\nLooked in:\n" + h.folder.FilePath("manual/en/index.html") +
                          "\n" + h.folder.FilePath("home/HELP/qdv70e.chm")});
    EXPECT_EQ(h.boxes.boxes[0].icon, QMessageBox::Critical);
    EXPECT_TRUE(opened.urls.isEmpty());

    // A help file in the home folder, then the manual, which comes first; then the manual built with
    // the program.
    h.folder.Write("home/HELP/qdv70e.chm", "help");
    h.folder.Write("manual/en/index.html", "<html></html>");
    const QStringList built = DefaultManualFolders(QStringLiteral(QDV70_DIR));
    const struct {
        QStringList folders;
        QString file;
    } cases[] = {{{h.folder.FilePath("elsewhere")}, h.folder.FilePath("home/HELP/qdv70e.chm")},
                 {{h.folder.FilePath("elsewhere"), h.folder.FilePath("manual")},
                  h.folder.FilePath("manual/en/index.html")},
                 {built, QDir(built[0]).filePath("en/index.html")}};
    for (const auto& c : cases) {
        opened.urls.clear();
        h.Window().SetManualFolders(c.folders);
        h.Window().mnu_Help_HelpClick();
        ASSERT_EQ(opened.urls.size(), 1);
        EXPECT_EQ(opened.urls[0].toLocalFile(), c.file);
        EXPECT_TRUE(QFileInfo(opened.urls[0].toLocalFile()).isFile());
    }
    EXPECT_EQ(h.boxes.boxes.size(), 1);
    QDesktopServices::unsetUrlHandler("file");
}

// Another setup starts with empty status lines, what a job left there being the previous setup's, and
// shows its own backup status bar, which a setup without Primary files leaves empty; its Primary button
// starts nothing, and neither does one whose job the task controller refuses.
TEST(MainWindow, switchingSetupsShowsTheSelectedSetupsStatusAndAPrimaryButtonMayStartNothing) {
    SetupRecord noPrimary = FullSetup("B", QString());
    noPrimary.primaryBackupFiles = 0;
    MainWindowHarness h({FullSetup("A", QString()), noPrimary});
    const QLabel* bar = h.Window().BackupPanel();
    EXPECT_TRUE(bar->text().startsWith("No complete Primary backup")) << bar->text().toStdString();
    h.Key(Qt::Key_F1);
    ASSERT_EQ(h.started.size(), 1);
    h.Status().SetStatusLines(1, "ZEBU_NME.DAU", 0);
    h.Status().SetLine2("0102030405");
    h.FinishJob(true, 303);
    EXPECT_FALSE(h.Window().StatusLine1().isEmpty());
    EXPECT_EQ(h.Window().StatusLine2(), "0102030405");
    for (int i = 0; i < datafiles::kPrimaryCount; ++i)
        h.folder.Write("backup0/Primary/" +
                           datafiles::FileName(datafiles::CodeOfCharacter(datafiles::kPrimaryTypes[i])),
                       "x");

    h.Window().SetupList()->setCurrentIndex(1);
    EXPECT_EQ(h.Window().StatusLine1(), "");
    EXPECT_EQ(h.Window().StatusLine2(), "");
    EXPECT_TRUE(bar->text().isEmpty()) << "a setup without Primary files";
    h.Key(Qt::Key_F3);
    EXPECT_EQ(h.started.size(), 1);
    EXPECT_FALSE(h.Window().Button(kTabReceive, 2)->Lowered());

    h.Window().SetupList()->setCurrentIndex(0);
    EXPECT_TRUE(bar->text().startsWith("Last Primary backup: ")) << bar->text().toStdString();
    EXPECT_TRUE(bar->text().endsWith("(today)"));
    EXPECT_FALSE(bar->toolTip().contains("WARN_DAYS"));
    h.acceptJobs = false;
    h.Key(Qt::Key_F3);
    EXPECT_FALSE(h.Window().Polling());
    EXPECT_FALSE(h.Window().Button(kTabReceive, 2)->Lowered());
    EXPECT_TRUE(h.Window().Button(kTabReceive, 2)->isEnabled());
}

// The setup box marks a failing and a stale setup, with the reason as tooltip, and an ok one not; the
// end of a job marks its setup anew.
TEST(MainWindow, theSetupBoxMarksSetupsWhoseBackupsAreNotOk) {
    TestFolder backups;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const auto recorded = [&](const QString& name, bool ok) {
        SetupRecord s = FullSetup(name, backups.FilePath(name));
        s.primaryBackupFiles = 0;
        backups.Write(name + "/Name/NOTE.TXT", "one");
        history::BackupHistory::Snapshot(s.backupDataPath, name, "Receive Description", {}, {});
        history::JobResult r;
        r.finished = now;
        r.ok = ok;
        r.error = ok ? QString() : "Error(Packet CS.)";
        EXPECT_TRUE(history::JobRecord::Record(s.backupDataPath, "description", r));
        return s;
    };
    MainWindowHarness h(
        {recorded("failing", false), FullSetup("stale", backups.FilePath("stale")), recorded("ok", true)});
    TfrmMain& w = h.Window();
    const QComboBox* box = w.SetupList();
    const auto image = [](const QIcon& icon) { return icon.pixmap(16).toImage(); };
    const QImage critical = image(w.style()->standardIcon(QStyle::SP_MessageBoxCritical));
    const QImage warning = image(w.style()->standardIcon(QStyle::SP_MessageBoxWarning));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.MarkingSetups(); }, 10000));
    EXPECT_EQ(image(box->itemIcon(0)), critical);
    EXPECT_EQ(box->itemData(0, Qt::ToolTipRole).toString(),
              "Failing: the last Description job failed: Error(Packet CS.)");
    EXPECT_EQ(image(box->itemIcon(1)), warning);
    EXPECT_EQ(box->itemData(1, Qt::ToolTipRole).toString(),
              "Stale: no complete Primary backup in the backup folder");
    EXPECT_TRUE(box->itemIcon(2).isNull());
    EXPECT_FALSE(box->itemData(2, Qt::ToolTipRole).isValid());

    h.Window().SetupList()->setCurrentIndex(2);
    h.Key(Qt::Key_F1);
    h.FinishJob(true, 310);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.MarkingSetups(); }, 10000));
    EXPECT_EQ(image(box->itemIcon(2)), critical);
    EXPECT_TRUE(box->itemData(2, Qt::ToolTipRole).toString().startsWith("Failing: "));
}

// Stands in for the toolkit's Japanese translation of its standard button texts.
class JapaneseButtonTexts : public QTranslator {
public:
    QString translate(const char*, const char* source, const char*, int) const override {
        static const QHash<QString, QString> texts{
            {"OK", "了解"}, {"Cancel", "キャンセル"}, {"&Yes", "はい(&Y)"}, {"&No", "いいえ(&N)"}};
        return texts.value(QString::fromLatin1(source));
    }
    bool isEmpty() const override { return false; }
};

TEST(MessageBox, buttonsReadInEnglishWhateverTheSystemLanguage) {
    JapaneseButtonTexts japanese;
    QApplication::installTranslator(&japanese);
    // The toolkit's own box does take the translation, so the routine's English is its own doing.
    QMessageBox plain;
    plain.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel | QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(plain.button(QMessageBox::Cancel)->text(), "キャンセル");

    BoxRecorder boxes;
    ShowMessageText(nullptr, "text", DialogType::Confirmation,
                    kButtonOk | kButtonCancel | kButtonYes | kButtonNo);
    QApplication::removeTranslator(&japanese);
    ASSERT_EQ(boxes.boxes.size(), 1);
    EXPECT_EQ(boxes.boxes[0].buttons, (QStringList{"OK", "Cancel", "Yes", "No"}));
    EXPECT_EQ(boxes.boxes[0].caption, "QDV-70");
    EXPECT_EQ(boxes.boxes[0].icon, QMessageBox::Question);
}

QByteArray Nme(const QByteArray& source1) {
    DescriptionTable t;
    t.At(Side::Source, 1).SetText(source1);
    QByteArray img = t.Image();
    img.resize(DescriptionTable::kNmeImageSize, '\0');
    return image::Encode(img);
}

TEST(HistoryDialog, showsSnapshotsTheirChangesAndRestores) {
    TestFolder d;
    d.Write("Name/ZEBU_NME.DAU", Nme("CAM 1"));
    history::BackupHistory::Snapshot(d.Path(), "Plant", "Receive Description", {}, {});
    d.Write("Name/ZEBU_NME.DAU", Nme("CAM 1B"));
    history::BackupHistory::Snapshot(d.Path(), "Plant", "Receive Description", {}, {});
    d.Write("Name/ZEBU_NME.DAU", Nme("CAM 9"));

    THistoryDlg dialog("Plant", d.Path());
    ASSERT_EQ(dialog.Snapshots()->topLevelItemCount(), 3); // the folder now, then two snapshots
    EXPECT_EQ(Rows(dialog.Changes()), QStringList({R"(source 1 description: "CAM 1B" -> "CAM 9")"}));
    EXPECT_FALSE(dialog.RestoreButton()->isEnabled());

    dialog.Snapshots()->setCurrentItem(dialog.Snapshots()->topLevelItem(1));
    EXPECT_EQ(Rows(dialog.Changes()), QStringList({R"(source 1 description: "CAM 1" -> "CAM 1B")"}));
    EXPECT_EQ(dialog.Snapshots()->topLevelItem(1)->text(3), "Name/ZEBU_NME.DAU");

    dialog.Snapshots()->setCurrentItem(dialog.Snapshots()->topLevelItem(2));
    EXPECT_TRUE(dialog.RestoreButton()->isEnabled());
    ASSERT_TRUE(dialog.RestoreChosen(false));
    EXPECT_EQ(d.Read("Name/ZEBU_NME.DAU"), Nme("CAM 1"));
    // Before the restore the folder's own change was kept; the restore is a snapshot of its own.
    ASSERT_EQ(dialog.Snapshots()->topLevelItemCount(), 5);
    EXPECT_TRUE(dialog.Snapshots()->topLevelItem(1)->text(2).startsWith("Restore "));
    EXPECT_TRUE(dialog.Snapshots()->topLevelItem(2)->text(2).startsWith("Before restore"));
}

} // namespace
} // namespace qdv::test

#include "MainWindowTest.moc"
