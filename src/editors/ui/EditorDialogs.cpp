#include "editors/ui/EditorDialogs.h"

#include "base/CatalogueCodes.h"
#include "editors/OkOutcome.h"
#include "store/SetupRecord.h"
#include "widgets/MessageBox.h"
#include "widgets/UserSettings.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFontMetrics>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTableView>
#include <algorithm>
#include <climits>

namespace qdv {

namespace {

CsvFileHook& Hook() {
    static CsvFileHook hook;
    return hook;
}

// A colour as the settings file stores it: 0x00BBGGRR.
QColor FromColorRef(int value) {
    const auto v = static_cast<unsigned>(value);
    return QColor(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF),
                  static_cast<int>((v >> 16) & 0xFF));
}

} // namespace

void ApplyEditorFont(QTableView* grid, const SetupFont* font) {
    QFont f = QApplication::font("QMenu");
    QColor colour = Qt::black;
    int size = font ? font->size : 8;
    if (font && !font->name.isEmpty()) {
        f = QFont(font->name);
        if (font->size > 0)
            f.setPointSize(font->size);
        else if (font->height < 0)
            f.setPixelSize(-font->height);
        f.setBold(font->bold);
        f.setItalic(font->italic);
        f.setUnderline(font->underline);
        f.setStrikeOut(font->strikeOut);
        if (font->pitch == 2)
            f.setFixedPitch(true);
        colour = FromColorRef(font->color);
    }
    grid->setFont(f);
    QPalette palette = grid->palette();
    palette.setColor(QPalette::Text, colour);
    grid->setPalette(palette);
    const int rows = std::max(size == 0 ? 15 : size + 8, QFontMetrics(f).height() + 2);
    grid->verticalHeader()->setMinimumSectionSize(1);
    grid->verticalHeader()->setDefaultSectionSize(rows);
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
}

QString WidestText(const QTableView* grid, int count) {
    const QFontMetrics metrics(grid->font());
    QChar widest = QLatin1Char('W');
    int width = metrics.horizontalAdvance(widest);
    const auto consider = [&](char16_t first, char16_t last) {
        for (char16_t u = first; u <= last; ++u) {
            const int w = metrics.horizontalAdvance(QChar(u));
            if (w > width) {
                width = w;
                widest = QChar(u);
            }
        }
    };
    consider(0x20, 0x7E);     // ASCII
    consider(0xFF61, 0xFF9F); // half-width katakana
    return QString(count, widest);
}

QString NumberSample() {
    return QStringLiteral("0000");
}

QString LabelSample() {
    return QStringLiteral("XXXXXXXX 0000");
}

int CellWidthFor(const QTableView* grid, const QString& text) {
    // The item view draws a cell's text inside the focus frame's margin on both sides, and the grid
    // line takes one pixel of the cell.
    const int margin = grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1;
    return QFontMetrics(grid->font()).horizontalAdvance(text) + 2 * margin + 1 + (grid->showGrid() ? 1 : 0);
}

void SizeEditor(QDialog* window, QSize wanted, const QList<QTableView*>& grids, const QString& key) {
    if (const QScreen* screen = window->screen())
        wanted = wanted.boundedTo(screen->availableGeometry().size() * 0.95);
    window->resize(wanted);
    RestoreWindowSize(window, key);
    for (QTableView* grid : grids)
        RestoreColumnWidths(grid, key + QLatin1Char('/') + grid->objectName());
}

void RememberEditor(const QDialog* window, const QList<QTableView*>& grids, const QString& key) {
    SaveWindowSize(window, key);
    for (const QTableView* grid : grids)
        SaveColumnWidths(grid, key + QLatin1Char('/') + grid->objectName());
}

void SetColumnWidths(QTableView* grid, const QStringList& longest) {
    QHeaderView* header = grid->horizontalHeader();
    for (int c = 0; c < grid->model()->columnCount(); ++c) {
        const int text = c < longest.size() ? CellWidthFor(grid, longest[c]) : 0;
        grid->setColumnWidth(c, std::max(text, header->sectionSizeHint(c)));
    }
}

QString ChooseCsvFile(QWidget* owner, bool save, const QString& folder, const QString& description) {
    const QString filter = description + QStringLiteral(" (*.CSV *.csv *.Csv)");
    if (Hook())
        return Hook()(save, folder, filter);
    QFileDialog dialog(owner, save ? QStringLiteral("CSV Export") : QStringLiteral("CSV Import"), folder,
                       filter);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral("CSV"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

CsvFileHook SetCsvFileHook(CsvFileHook hook) {
    CsvFileHook previous = std::move(Hook());
    Hook() = std::move(hook);
    return previous;
}

bool ShowOkOutcome(QWidget* owner, const OkOutcome& outcome) {
    if (!outcome.error.isEmpty())
        ShowMessageText(owner, outcome.error, DialogType::Error, kButtonOk);
    if (!outcome.note.isEmpty())
        ShowMessageText(owner, outcome.note, DialogType::Warning, kButtonOk);
    return outcome.close;
}

bool MayDiscardChanges(QWidget* owner, bool modified) {
    return !modified || ShowMessage(owner, msg::kAskDiscard, DialogType::Confirmation, kButtonYes | kButtonNo,
                                    kButtonNo) == kButtonYes;
}

GridRect SelectedRect(const QTableView* grid, int firstColumn) {
    const QModelIndexList cells = grid->selectionModel()->selectedIndexes();
    if (cells.isEmpty()) {
        const QModelIndex current = grid->currentIndex();
        return current.isValid() ? GridRect{current.column() - firstColumn, current.row(), 1, 1} : GridRect{};
    }
    int c0 = INT_MAX, r0 = INT_MAX, c1 = INT_MIN, r1 = INT_MIN;
    for (const QModelIndex& i : cells) {
        c0 = std::min(c0, i.column());
        r0 = std::min(r0, i.row());
        c1 = std::max(c1, i.column());
        r1 = std::max(r1, i.row());
    }
    c0 = std::max(c0, firstColumn);
    return {c0 - firstColumn, r0, c1 - c0 + 1, r1 - r0 + 1};
}

EditorButtons MakeEditorButtons(QDialog* window, const std::function<void()>& ok,
                                const std::function<void()>& importFile,
                                const std::function<void()>& exportFile) {
    EditorButtons b;
    b.ok = new QPushButton(QStringLiteral("OK(&O)"), window);
    b.cancel = new QPushButton(QStringLiteral("Cancel(&C)"), window);
    b.importFile = new QPushButton(QStringLiteral("CSV Import(&I)"), window);
    b.exportFile = new QPushButton(QStringLiteral("CSV Export(&X)"), window);
    for (QPushButton* button : {b.ok, b.cancel, b.importFile, b.exportFile})
        button->setAutoDefault(false);
    QObject::connect(b.ok, &QPushButton::clicked, window, ok);
    QObject::connect(b.cancel, &QPushButton::clicked, window, &QDialog::reject);
    QObject::connect(b.importFile, &QPushButton::clicked, window, importFile);
    QObject::connect(b.exportFile, &QPushButton::clicked, window, exportFile);
    return b;
}

bool ImportCsvFile(QWidget* owner, const QString& folder, const QString& description,
                   const std::function<bool(const QString& path, QString* why)>& read) {
    const QString path = ChooseCsvFile(owner, false, folder, description);
    if (path.isEmpty())
        return false;
    QString why;
    if (!read(path, &why)) {
        ShowMessageText(owner, why.isEmpty() ? QStringLiteral("%1 cannot be read.").arg(path) : why,
                        DialogType::Error, kButtonOk);
        return false;
    }
    return true;
}

void ExportCsvFile(QWidget* owner, const QString& folder, const QString& description,
                   const std::function<bool(const QString& path, QString* why)>& write) {
    const QString path = ChooseCsvFile(owner, true, folder, description);
    QString why;
    if (!path.isEmpty() && !write(path, &why))
        ShowMessageText(owner, QStringLiteral("%1 was not written: %2").arg(path, why), DialogType::Error,
                        kButtonOk);
}

} // namespace qdv
