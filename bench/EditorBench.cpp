// qdv70editorbench: the time to open each editor on a full data set (every description and alias 16
// characters long, every crosspoint routed): loading the tables from the backup folder as the Edit
// tab does, making the window, showing it and painting it once. Runs on any Qt platform; under
// QT_QPA_PLATFORM=offscreen it needs no display.
// Usage: qdv70editorbench [runs]
//        qdv70editorbench --screenshot DIR   (both editors on the sample set, as PNG files in DIR)

#include "convert/ConversionTables.h"
#include "editors/ui/TfrmEditCrosspoint.h"
#include "editors/ui/TfrmEditDescAndAlias.h"
#include "sim/SampleDataSet.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QItemSelectionModel>
#include <QScrollBar>
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

using namespace qdv;

namespace {

// Fills every text of the sample set to 16 characters and routes every crosspoint, then writes the files.
bool WriteFullSet(const SetupRecord& setup) {
    auto t = std::make_unique<ConversionTables>();
    t->BuildTerminalLabels(setup);
    for (const Side side : {Side::Source, Side::Destination}) {
        for (int n = 1; n <= kTerminalCount; ++n) {
            const QByteArray text =
                QByteArray::number(n).rightJustified(16, side == Side::Source ? 'S' : 'D');
            t->Descriptions().At(side, n).SetText(text);
            for (int k = 1; k <= AliasTables::kTables; ++k)
                t->Aliases().Table(k).At(side, n).SetText(text.left(15) + QByteArray::number(k));
        }
    }
    for (int l = 1; l <= CrosspointTable::kLevels; ++l)
        for (int d = 1; d <= kTerminalCount; ++d)
            t->Crosspoints().SetSource(l, d, static_cast<std::uint16_t>((d + l) % kTerminalCount + 1));
    return t->SaveDescriptionsAndAliases(setup).code == 0 && t->SaveCrosspoints(setup);
}

// Milliseconds from the Edit button to the painted window, median and worst of `runs`.
void Measure(const char* name, int runs, const std::function<std::unique_ptr<QDialog>()>& open) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        std::unique_ptr<QDialog> dialog = open();
        dialog->show();
        dialog->grab();
        QApplication::processEvents();
        ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%-28s median %7.1f ms   worst %7.1f ms   (%d runs)\n", name, ms[ms.size() / 2], ms.back(),
                runs);
}

// Both editors on the sample set with a few cells selected, grabbed into DIR.
int Screenshots(const QString& dir) {
    QTemporaryDir tmp;
    SetupRecord setup;
    setup.SetBackupDataPath(tmp.path());
    if (!WriteSampleDataSet(tmp.path(), nullptr) || !QDir().mkpath(dir))
        return 1;
    auto tables = std::make_unique<ConversionTables>();
    tables->BuildTerminalLabels(setup);
    tables->LoadDescriptions(setup);
    for (int k = 1; k <= AliasTables::kTables; ++k)
        tables->LoadAliases(setup, k);
    tables->LoadCrosspoints(setup);
    const auto select = [](QTableView* grid, int row0, int col0, int row1, int col1) {
        grid->setCurrentIndex(grid->model()->index(row0, col0));
        grid->selectionModel()->select(
            QItemSelection(grid->model()->index(row0, col0), grid->model()->index(row1, col1)),
            QItemSelectionModel::ClearAndSelect);
        // The picture starts at the number column.
        grid->horizontalScrollBar()->setValue(0);
    };
    bool saved = true;
    {
        TfrmEditDescAndAlias dialog(*tables, setup, nullptr);
        dialog.resize(900, 560);
        dialog.show();
        select(dialog.Grid(Side::Source), 8, 2, 11, 3);
        QApplication::processEvents();
        saved = dialog.grab().save(dir + "/editor-descriptions.png") && saved;
    }
    {
        TfrmEditCrosspoint dialog(*tables, setup, nullptr);
        dialog.resize(1100, 560);
        dialog.show();
        select(dialog.DestinationGrid(), 2, 3, 5, 5);
        QApplication::processEvents();
        saved = dialog.grab().save(dir + "/editor-crosspoints.png") && saved;
    }
    return saved ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // The editors remember their sizes for the user: not the sizes of a benchmark's windows.
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    if (argc > 2 && QByteArray(argv[1]) == "--screenshot")
        return Screenshots(QString::fromLocal8Bit(argv[2]));
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 10;
    QTemporaryDir tmp;
    QString error;
    if (!WriteSampleDataSet(tmp.path(), &error)) {
        std::fprintf(stderr, "cannot write the sample data set: %s\n", qPrintable(error));
        return 1;
    }
    SetupRecord setup;
    setup.SetBackupDataPath(tmp.path());
    if (!WriteFullSet(setup)) {
        std::fprintf(stderr, "cannot write the full data set\n");
        return 1;
    }
    auto tables = std::make_unique<ConversionTables>();
    std::printf("Opening the editors on a full data set (platform %s)\n",
                qPrintable(QApplication::platformName()));
    Measure("Description/Alias (F1)", runs, [&] {
        tables->Descriptions().Clear();
        tables->Aliases().Clear();
        tables->BuildTerminalLabels(setup);
        tables->LoadDescriptions(setup);
        for (int k = 1; k <= AliasTables::kTables; ++k)
            tables->LoadAliases(setup, k);
        return std::make_unique<TfrmEditDescAndAlias>(*tables, setup, nullptr);
    });
    Measure("Crosspoint (F2)", runs, [&] {
        tables->Descriptions().Clear();
        tables->Crosspoints().Clear();
        tables->BuildTerminalLabels(setup);
        tables->LoadDescriptions(setup);
        tables->LoadCrosspoints(setup);
        return std::make_unique<TfrmEditCrosspoint>(*tables, setup, nullptr);
    });
    return 0;
}
