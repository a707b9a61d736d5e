// Both editors under a real X server, with a bold font and the widest texts the controller's character
// set allows: no column elides what it shows and the window fits its screen. CTest runs it under
// xvfb-run at 96 and 144 DPI and in a Japanese locale; elsewhere it is skipped. With
// QDV70_SCREENSHOT_DIR set, the windows are saved there as pictures.

#include "convert/ConversionTables.h"
#include "editors/ui/TfrmEditCrosspoint.h"
#include "editors/ui/TfrmEditDescAndAlias.h"
#include "sim/SampleDataSet.h"
#include "support/TestFolder.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QStyle>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

namespace qdv::test {
namespace {

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
    TestFolder folder;
    ASSERT_TRUE(WriteSampleDataSet(folder.Path(), nullptr));
    SetupRecord setup;
    setup.SetBackupDataPath(folder.Path());
    ConversionTables tables;
    tables.BuildTerminalLabels(setup);
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
    const QString shots = qEnvironmentVariable("QDV70_SCREENSHOT_DIR");
    const QString dpi = QString::number(qRound(QGuiApplication::primaryScreen()->logicalDotsPerInch() *
                                               QGuiApplication::primaryScreen()->devicePixelRatio()));
    {
        TfrmEditDescAndAlias dialog(tables, setup, &font);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        for (const Side side : {Side::Source, Side::Destination})
            EXPECT_EQ(ElidedCells(dialog.Grid(side)), QStringList());
        ExpectFitsItsScreen(dialog);
        if (!shots.isEmpty()) {
            EXPECT_TRUE(dialog.grab().save(shots + "/editor-descriptions-bold-" + dpi + ".png"));
        }
    }
    {
        TfrmEditCrosspoint dialog(tables, setup, &font);
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
        if (!shots.isEmpty()) {
            EXPECT_TRUE(dialog.grab().save(shots + "/editor-crosspoints-bold-" + dpi + ".png"));
        }
    }
}

} // namespace
} // namespace qdv::test
