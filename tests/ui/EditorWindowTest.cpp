#include "DialogDriver.h"
#include "convert/ConversionTables.h"
#include "editors/ui/DescAliasModel.h"
#include "editors/ui/EditorDialogs.h"
#include "editors/ui/TfrmEditCrosspoint.h"
#include "editors/ui/TfrmEditDescAndAlias.h"
#include "sim/SampleDataSet.h"
#include "support/MainWindowFixture.h"
#include "support/SimProcess.h"
#include "widgets/TTabBar.h"
#include "widgets/UserSettings.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

namespace qdv::test {
namespace {

// Two copies of the sample backup: one the editors change, one qdv70cli changes, and a home for
// qdv70cli with a setup on the second. The tables are loaded as the main window loads them.
struct EditorPlant {
    TestFolder gui, cli;
    SetupRecord setup;
    std::unique_ptr<ConversionTables> tables = std::make_unique<ConversionTables>();

    EditorPlant() {
        EXPECT_TRUE(WriteSampleDataSet(gui.Path(), nullptr));
        EXPECT_TRUE(WriteSampleDataSet(cli.FilePath("backup"), nullptr));
        WriteLanHome(cli.FilePath("home"), cli.FilePath("backup"), 1);
        setup.SetBackupDataPath(gui.Path());
        tables->BuildTerminalLabels(setup);
        tables->LoadDescriptions(setup);
        for (int k = 1; k <= 7; ++k)
            tables->LoadAliases(setup, k);
        tables->LoadCrosspoints(setup);
    }
    // Exports `subject` with qdv70cli, sets field `field` of the line that begins with `prefix` to
    // `value`, and imports the text again.
    void CliEdit(const QString& subject, const QByteArray& prefix, int field, const QByteArray& value) {
        const QString text = cli.FilePath(subject + ".csv");
        const QStringList home{"--home", cli.FilePath("home")};
        ASSERT_EQ(RunCli(home + QStringList{"export", subject, text}).exitCode, 0);
        QByteArray csv = cli.Read(subject + ".csv");
        const qsizetype at = csv.indexOf("\r\n" + prefix) + 2;
        ASSERT_GT(at, 1);
        const qsizetype end = csv.indexOf("\r\n", at);
        QList<QByteArray> fields = csv.mid(at, end - at).split(',');
        ASSERT_LT(field, fields.size());
        fields[field] = value;
        cli.Write(subject + ".csv", csv.left(at) + fields.join(',') + csv.mid(end));
        const CliRun run = RunCli(home + QStringList{"import", subject, text});
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    }
};

const QStringList kEditedFiles = {"Name/ZEBU_NME.DAU",   "Name/ZEBU_NME.CSV",  "Name/ZEBU_ALS1.DAU",
                                  "Name/ZEBU_ALS2.DAU",  "Name/ZEBU_ALS3.DAU", "Name/ZEBU_ALS4.DAU",
                                  "Name/ZEBU_ALS5.DAU",  "Name/ZEBU_ALS6.DAU", "Name/ZEBU_ALS7.DAU",
                                  "XPoint/ZEBU_XPT.DAU", "XPoint/ZEBU_XPT.CSV"};

// The description typed in place and the crosspoint routed by a double click: OK, with Yes to both
// questions, writes the files that qdv70cli's import of the same changes writes.
TEST(EditorWindows, okOfEitherEditorWritesWhatQdv70cliImportWrites) {
    EditorPlant p;
    BoxRecorder boxes(kButtonYes);
    {
        TfrmEditDescAndAlias dlg(*p.tables, p.setup, nullptr);
        dlg.show();
        QTableView* grid = dlg.Grid(Side::Source);
        EXPECT_EQ(grid->currentIndex(), grid->model()->index(0, 2));

        // Destination 7's description typed in place; Enter moves on to destination 8 still editing.
        dlg.Pages()->setCurrentIndex(1);
        QTableView* dst = dlg.Grid(Side::Destination);
        dst->setCurrentIndex(dst->model()->index(6, 2));
        dlg.Editor().SetEditMode(true); // as a double click leaves it
        dst->edit(dst->currentIndex());
        auto* edit = dst->findChild<QLineEdit*>();
        ASSERT_NE(edit, nullptr);
        edit->selectAll();
        QTest::keyClicks(edit, "NEW/NAME,1");
        EXPECT_EQ(edit->text(), "NEWNAME1");
        EXPECT_FALSE(dlg.MessageText().isEmpty());
        QTest::keyClick(edit, Qt::Key_Return);
        EXPECT_EQ(dst->currentIndex().row(), 7);
        EXPECT_NE(dst->findChild<QLineEdit*>(), nullptr);
        dlg.OkButton()->click();
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
    }
    {
        TfrmEditCrosspoint dlg(*p.tables, p.setup, nullptr);
        dlg.show();
        QTableView* dst = dlg.DestinationGrid();
        QTableView* src = dlg.SourceGrid();
        EXPECT_TRUE(dlg.Editor().RowMode());

        // Lv3 of destination 10, then source 2.
        dst->setCurrentIndex(dst->model()->index(9, 5));
        EXPECT_FALSE(dlg.Editor().RowMode());
        src->setCurrentIndex(src->model()->index(1, 0));
        dlg.grdSrcListDblClick();
        EXPECT_EQ(dst->model()->index(9, 5).data().toString(),
                  QString::fromLatin1(dlg.Editor().SourceText(2)));
        dlg.OkButton()->click();
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
    }
    EXPECT_EQ(boxes.Texts(),
              QStringList({"Do you want to convert these Description/Alias data into the CSV file?",
                           "Do you want to convert these Description/Alias data into the DAU file?",
                           "Do you want to convert these crosspoints data into the CSV file?",
                           "Do you want to convert these crosspoint data into the DAU file?"}));

    p.CliEdit("description", "D7,", 3, "NEWNAME1");
    p.CliEdit("crosspoint", "L3,0010,", 2, "S2");
    for (const QString& f : kEditedFiles)
        EXPECT_EQ(p.gui.Read(f), p.cli.Read("backup/" + f)) << f.toStdString();
}

TEST(EditorWindows, cancelWritesNothingAndImportRefreshesTheGrids) {
    EditorPlant p;
    const QByteArray nme = p.gui.Read("Name/ZEBU_NME.DAU");
    const QByteArray xpt = p.gui.Read("XPoint/ZEBU_XPT.DAU");
    p.gui.Write("in.csv", "S5,VTR,005,CAM A,X\r\n");
    p.gui.Write("x.csv", "L1,0002,S7\r\n");
    QStringList asked;
    const CsvFileHook previous = SetCsvFileHook([&](bool, const QString& folder, const QString& filter) {
        asked << folder << filter;
        return p.gui.FilePath(filter.startsWith("Crosspoint") ? "x.csv" : "in.csv");
    });
    // An import is a change: Cancel asks before it is dropped.
    BoxRecorder discard(kButtonYes);
    {
        TfrmEditDescAndAlias dlg(*p.tables, p.setup, nullptr);
        dlg.ImportButton()->click();
        EXPECT_EQ(dlg.Grid(Side::Source)->model()->index(4, 2).data().toString(), "CAMA");
        EXPECT_EQ(dlg.Grid(Side::Source)->model()->index(4, 3).data().toString(), "X");
        EXPECT_EQ(dlg.Grid(Side::Source)->model()->index(8, 2).data().toString(), "");
        dlg.CancelButton()->click();
        EXPECT_EQ(dlg.result(), QDialog::Rejected);
    }
    {
        TfrmEditCrosspoint dlg(*p.tables, p.setup, nullptr);
        dlg.ImportButton()->click();
        EXPECT_EQ(dlg.DestinationGrid()->model()->index(1, 3).data().toString(),
                  QString::fromLatin1(dlg.Editor().SourceText(7)));
        dlg.CancelButton()->click();
    }
    SetCsvFileHook(previous);
    EXPECT_EQ(discard.boxes.size(), 2);
    EXPECT_EQ(asked.value(0), p.gui.FilePath("Name"));
    EXPECT_EQ(asked.value(3), "Crosspoint Name File (*.CSV *.csv *.Csv)");
    EXPECT_EQ(p.gui.Read("Name/ZEBU_NME.DAU"), nme);
    EXPECT_EQ(p.gui.Read("XPoint/ZEBU_XPT.DAU"), xpt);
    EXPECT_FALSE(p.gui.Exists("Name/ZEBU_NME.CSV"));
    EXPECT_FALSE(p.gui.Exists("XPoint/ZEBU_XPT.CSV"));
}

// Closing an editor by Esc, its close button or Cancel drops changes only when the operator says so;
// without changes it closes at once.
TEST(EditorWindows, closingWithChangesAsksBeforeDiscardingThem) {
    enum How { kEsc, kCloseButton, kCancel };
    const struct {
        bool crosspoints;
        bool change;
        How how;
        int answer;
        bool asked, closed;
    } cases[] = {
        {false, false, kEsc, kButtonNo, false, true},
        {false, true, kEsc, kButtonNo, true, false},
        {false, true, kCloseButton, kButtonYes, true, true},
        {true, false, kCloseButton, kButtonNo, false, true},
        {true, true, kEsc, kButtonNo, true, false},
        {true, true, kCancel, kButtonYes, true, true},
    };
    EditorPlant p;
    int source = 40; // a new one each time: the table keeps what an earlier case routed
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "crosspoints " << c.crosspoints << " change " << c.change << " how " << c.how);
        std::unique_ptr<QDialog> dlg;
        QTableView* grid = nullptr;
        QPushButton* cancel = nullptr;
        if (c.crosspoints) {
            auto* x = new TfrmEditCrosspoint(*p.tables, p.setup, nullptr);
            dlg.reset(x);
            grid = x->DestinationGrid();
            cancel = x->CancelButton();
            if (c.change) {
                grid->setCurrentIndex(grid->model()->index(3, 4));
                x->SourceGrid()->setCurrentIndex(x->SourceGrid()->model()->index(++source, 0));
                x->grdSrcListDblClick();
            }
        } else {
            auto* d = new TfrmEditDescAndAlias(*p.tables, p.setup, nullptr);
            dlg.reset(d);
            grid = d->Grid(Side::Source);
            cancel = d->CancelButton();
            if (c.change)
                d->Editor().Current().Set(0, 0, "CHANGED");
        }
        dlg->show();
        BoxRecorder boxes(c.answer);
        if (c.how == kEsc)
            QTest::keyClick(grid, Qt::Key_Escape);
        else if (c.how == kCloseButton)
            dlg->close();
        else
            cancel->click();
        ASSERT_EQ(boxes.Texts(), c.asked ? QStringList{"Discard the changes?"} : QStringList());
        if (c.asked) {
            EXPECT_EQ(boxes.boxes[0].buttons, (QStringList{"Yes", "No"}));
            EXPECT_EQ(boxes.boxes[0].defaultButton, "No");
        }
        EXPECT_EQ(dlg->isVisible(), !c.closed);
    }
}

// From the keyboard alone: the other page, the CSV buttons, out of the grid with Tab, and a route.
TEST(EditorWindows, theKeyboardReachesPagesButtonsAndRoutes) {
    EditorPlant p;
    QStringList asked;
    const CsvFileHook previous = SetCsvFileHook([&](bool save, const QString&, const QString&) {
        asked << (save ? "export" : "import");
        return QString();
    });
    {
        TfrmEditDescAndAlias d(*p.tables, p.setup, nullptr);
        ASSERT_TRUE(ShowActive(d));
        const struct {
            Qt::Key key;
            Qt::KeyboardModifiers modifiers;
            int page;
        } pages[] = {{Qt::Key_Tab, Qt::ControlModifier, 1},
                     {Qt::Key_PageDown, Qt::ControlModifier, 0},
                     {Qt::Key_PageUp, Qt::ControlModifier, 1},
                     {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, 0}};
        for (const auto& k : pages) {
            QTest::keyClick(QApplication::focusWidget(), k.key, k.modifiers);
            EXPECT_EQ(d.Pages()->currentIndex(), k.page) << k.key;
        }
        // A button's mnemonic clicks it a moment later.
        QTest::keyClick(d.Grid(Side::Source), Qt::Key_I, Qt::AltModifier);
        EXPECT_TRUE(QTest::qWaitFor([&] { return asked.size() == 1; }, 2000));
        QTest::keyClick(d.Grid(Side::Source), Qt::Key_X, Qt::AltModifier);
        EXPECT_TRUE(QTest::qWaitFor([&] { return asked.size() == 2; }, 2000));
        EXPECT_EQ(asked, (QStringList{"import", "export"}));
        // F2 edits as a double click does: Enter goes on editing the next row.
        QTableView* grid = d.Grid(Side::Source);
        // Scrolled to the last alias, the row still shows its terminal's number.
        grid->horizontalScrollBar()->setValue(grid->horizontalScrollBar()->maximum());
        const auto* frozen = grid->findChild<QTableView*>(QString(), Qt::FindDirectChildrenOnly);
        ASSERT_NE(frozen, nullptr);
        EXPECT_TRUE(frozen->isVisible());
        EXPECT_EQ(
            frozen->viewport()->mapTo(grid, frozen->visualRect(frozen->model()->index(0, 0)).topLeft()).x(),
            grid->frameWidth());
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_F2);
        ASSERT_NE(grid->findChild<QLineEdit*>(), nullptr);
        QTest::keyClick(grid->findChild<QLineEdit*>(), Qt::Key_Return);
        EXPECT_EQ(grid->currentIndex().row(), 1);
        auto* editing = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        ASSERT_NE(editing, nullptr);
        QTest::keyClick(editing, Qt::Key_Escape);
        EXPECT_TRUE(d.isVisible()) << "the first Esc only leaves the cell";
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Tab);
        EXPECT_NE(qobject_cast<QPushButton*>(QApplication::focusWidget()), nullptr);
    }
    {
        TfrmEditCrosspoint x(*p.tables, p.setup, nullptr);
        ASSERT_TRUE(ShowActive(x));
        QTableView* dst = x.DestinationGrid();
        dst->setCurrentIndex(dst->model()->index(4, 0));
        x.SourceGrid()->setCurrentIndex(x.SourceGrid()->model()->index(2, 0));
        QTest::keyClick(x.SourceGrid(), Qt::Key_Return);
        for (int level = 1; level <= CrosspointTable::kLevels; ++level)
            EXPECT_EQ(p.tables->Crosspoints().Source(level, 5), 3) << level;
        dst->setFocus();
        QTest::keyClick(dst, Qt::Key_Tab);
        EXPECT_NE(QApplication::focusWidget(), dst) << "from a whole row Tab leaves the grid";
        // From a level cell, Ctrl+Tab reaches the sources and Enter routes that one level.
        dst->setFocus();
        dst->setCurrentIndex(dst->model()->index(6, 4));
        QTest::keyClick(dst, Qt::Key_Tab, Qt::ControlModifier);
        EXPECT_EQ(QApplication::focusWidget(), x.SourceGrid());
        QTest::keyClick(x.SourceGrid(), Qt::Key_Down);
        QTest::keyClick(x.SourceGrid(), Qt::Key_Return);
        EXPECT_EQ(p.tables->Crosspoints().Source(2, 7), 4);
        EXPECT_NE(p.tables->Crosspoints().Source(1, 7), 4);
    }
    SetCsvFileHook(previous);
}

// What the user left is there at the next opening: an editor's size and column widths, and the main
// window's "Verify after sending".
TEST(EditorWindows, theNextOpeningKeepsWhatTheUserLeft) {
    EditorPlant p;
    {
        TfrmEditCrosspoint x(*p.tables, p.setup, nullptr);
        x.resize(700, 500);
        x.DestinationGrid()->setColumnWidth(2, 300);
        x.reject();
    }
    {
        TfrmEditCrosspoint x(*p.tables, p.setup, nullptr);
        EXPECT_EQ(x.size(), QSize(700, 500));
        EXPECT_EQ(x.DestinationGrid()->columnWidth(2), 300);
    }
    MainWindowHarness h({FullSetup("A", QString())});
    EXPECT_FALSE(h.Window().VerifyBox()->isChecked());
    h.Window().VerifyBox()->setChecked(true);
    TfrmMain next(h.Modules().Table(), h.Modules().Remote(), h.Modules().Status());
    EXPECT_TRUE(next.VerifyBox()->isChecked());
    UserSettings()->clear();
}

TEST(EditorWindows, f1AndF2OfTheEditTabOpenTheEditorsOnTheSetupsFiles) {
    MainWindowHarness h({FullSetup("Plant", {})});
    ASSERT_TRUE(WriteSampleDataSet(h.Backup(0), nullptr));
    h.Window().Tabs()->setCurrentIndex(2);
    for (const int key : {Qt::Key_F1, Qt::Key_F2}) {
        // Read while the editor is up and active, as the operator meets it: it is gone once Key returns.
        QString caption;
        QString focusName;
        WhenShown<QDialog>([&](QDialog& editor) {
            caption = editor.windowTitle();
            const QWidget* focus = editor.focusWidget();
            focusName = focus ? focus->objectName() + " " + focus->metaObject()->className() : QString();
            editor.reject();
        });
        h.Key(key);
        EXPECT_EQ(caption, key == Qt::Key_F1 ? "Edit Description/Alias" : "Edit Crosspoint");
        EXPECT_TRUE(focusName.startsWith(key == Qt::Key_F1 ? "grdSrcList " : "grdDstList "))
            << focusName.toStdString();
    }
}

// Both editors under a real X server, with a bold font and the widest texts the controller's character
// set allows: no column elides what it shows and the window fits its screen. CTest runs it under
// xvfb-run at 96 and 144 DPI and in a Japanese locale; elsewhere it is skipped. With
// QDV70_SCREENSHOT_DIR set, the windows are saved there as pictures.

// Every byte of the controller's character set, 16 times over, in turn down the rows.
QByteArray WideText(int row) {
    static const QByteArray bytes = [] {
        QByteArray b;
        for (int c = 0x21; c <= 0x7E; ++c)
            b += char(c);
        for (int c = 0xA1; c <= 0xDF; ++c)
            b += char(c);
        return b;
    }();
    return QByteArray(16, bytes[row % bytes.size()]);
}

// The columns whose shown text the grid elides: "column 3 row 17: WWW..." each.
QStringList ElidedCells(const QTableView* grid) {
    QStringList elided;
    const QFontMetrics metrics(grid->font());
    const int margin = grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1;
    const QAbstractItemModel* model = grid->model();
    for (int c = 0; c < model->columnCount(); ++c) {
        if (grid->isColumnHidden(c))
            continue;
        const int room = grid->columnWidth(c) - 2 * margin - 1;
        const QString header = model->headerData(c, Qt::Horizontal).toString();
        if (grid->horizontalHeader()->sectionSizeHint(c) > grid->columnWidth(c))
            elided << QStringLiteral("header %1").arg(header);
        for (int r = 0; r < model->rowCount(); ++r) {
            const QString text = model->index(r, c).data().toString();
            if (metrics.elidedText(text, Qt::ElideRight, room) != text) {
                elided << QStringLiteral("%1 row %2: %3").arg(header).arg(r + 1).arg(text);
                break;
            }
        }
    }
    // The number and label columns that stay in place are a view of their own over the grid.
    if (const auto* frozen = grid->findChild<QTableView*>(QString(), Qt::FindDirectChildrenOnly))
        elided << ElidedCells(frozen);
    return elided;
}

void ExpectFitsItsScreen(const QWidget& window) {
    const QRect screen = window.screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(window.frameGeometry()))
        << window.windowTitle().toStdString() << " at " << window.frameGeometry().width() << "x"
        << window.frameGeometry().height() << " on " << screen.width() << "x" << screen.height();
}

TEST(EditorMetrics, noColumnElidesItsTextWithABoldFont) {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs an X server (CTest runs it under xvfb-run)";
    EditorPlant p;
    ConversionTables& tables = *p.tables;
    for (const Side side : {Side::Source, Side::Destination}) {
        for (int n = 1; n <= kTerminalCount; ++n) {
            tables.Descriptions().At(side, n).SetText(WideText(n));
            for (int k = 1; k <= AliasTables::kTables; ++k)
                tables.Aliases().Table(k).At(side, n).SetText(WideText(n + k));
        }
    }
    for (int level = 1; level <= CrosspointTable::kLevels; ++level) {
        for (int dest = 1; dest <= kTerminalCount; ++dest)
            tables.Crosspoints().SetSource(level, dest,
                                           static_cast<std::uint16_t>((dest + level) % 1024 + 1));
    }
    SetupFont font;
    font.name = QStringLiteral("Sans Serif");
    font.size = 9;
    font.bold = true;
    const QString dpi = QString::number(qRound(QGuiApplication::primaryScreen()->logicalDotsPerInch() *
                                               QGuiApplication::primaryScreen()->devicePixelRatio()));
    {
        TfrmEditDescAndAlias dialog(tables, p.setup, &font);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        for (const Side side : {Side::Source, Side::Destination})
            EXPECT_EQ(ElidedCells(dialog.Grid(side)), QStringList());
        ExpectFitsItsScreen(dialog);
        Shot(dialog, "editor-descriptions-bold-" + dpi + ".png");
    }
    {
        TfrmEditCrosspoint dialog(tables, p.setup, &font);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        EXPECT_EQ(ElidedCells(dialog.DestinationGrid()), QStringList());
        EXPECT_EQ(ElidedCells(dialog.SourceGrid()), QStringList());
        ExpectFitsItsScreen(dialog);
        // The sources grow with the window (on a wide one).
        const int sources = dialog.SourceGrid()->width();
        dialog.resize(2400, dialog.height());
        QTest::qWait(50);
        EXPECT_GT(dialog.SourceGrid()->width(), sources);
        Shot(dialog, "editor-crosspoints-bold-" + dpi + ".png");
    }
}

} // namespace
} // namespace qdv::test
