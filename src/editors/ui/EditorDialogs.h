#pragma once

#include "editors/GridRect.h"

#include <QFont>
#include <QList>
#include <QSize>
#include <QString>
#include <functional>

class QDialog;
class QItemSelectionModel;
class QPushButton;
class QTableView;
class QWidget;

namespace qdv {

struct OkOutcome;
struct SetupFont;

// What the two editor windows share: their grids' font and rows, the file dialogs of Import and
// Export, and the selection of a grid as a rectangle.

// The setup's font when it names one, else the desktop's menu font in black; rows as high as the
// font's size in points plus 8 pixels (15 for size 0), but never lower than the font's own lines.
void ApplyEditorFont(QTableView* grid, const SetupFont* font);

// `count` times the widest character of the controller's set (ASCII and half-width katakana) in the
// grid's font: the room a text of that many characters may need.
QString WidestText(const QTableView* grid, int count);
// The sample texts of the columns both editors share: the number and the label ("Type+Num").
QString NumberSample();
QString LabelSample();
// Column widths from the grid's font: each column as wide as its header and as `longest[c]`, the longest
// text it may show, plus the room a cell leaves around its text.
void SetColumnWidths(QTableView* grid, const QStringList& longest);
// An editor's first size: `wanted` where the screen has room, else as much as it has (the grids then
// scroll). Then the size and column widths the user left it with last time, under `key`.
void SizeEditor(QDialog* window, QSize wanted, const QList<QTableView*>& grids, const QString& key);
// Remembers the editor's size and its grids' column widths for the next opening.
void RememberEditor(const QDialog* window, const QList<QTableView*>& grids, const QString& key);

// The width a cell of `grid` needs to show `text` without eliding it.
int CellWidthFor(const QTableView* grid, const QString& text);

// The file dialogs: Import opens an existing file, Export names one to write. `filter` is the
// files' description; the pattern matches ".CSV" in any case. Empty when the operator cancels.
QString ChooseCsvFile(QWidget* owner, bool save, const QString& folder, const QString& description);

// Import: asks for a file and reads it with `read`; a file that cannot be read or is refused is
// reported, with the reason `read` gives when it gives one. True when the file was read.
bool ImportCsvFile(QWidget* owner, const QString& folder, const QString& description,
                   const std::function<bool(const QString& path, QString* why)>& read);
// Export: asks for a file name and writes the file with `write`; a failure is reported with its reason.
void ExportCsvFile(QWidget* owner, const QString& folder, const QString& description,
                   const std::function<bool(const QString& path, QString* why)>& write);

// While a hook is set, ChooseCsvFile asks it instead of showing a dialog (tests). Returns the old one.
using CsvFileHook = std::function<QString(bool save, const QString& folder, const QString& filter)>;
CsvFileHook SetCsvFileHook(CsvFileHook hook);

// Shows what an editor's OK has to say (an error, then a note about the history); true when the
// editor is to close.
bool ShowOkOutcome(QWidget* owner, const OkOutcome& outcome);

// Closing an editor without OK: when it holds changes, asks whether to discard them (Yes/No, No the
// default). True when the editor may close.
bool MayDiscardChanges(QWidget* owner, bool modified);

// The buttons both editors carry: OK, Cancel (rejects the window), CSV Import and CSV Export, made
// with the window as their parent, none of them a default button, each calling its handler.
struct EditorButtons {
    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;
    QPushButton* importFile = nullptr;
    QPushButton* exportFile = nullptr;
};
EditorButtons MakeEditorButtons(QDialog* window, const std::function<void()>& ok,
                                const std::function<void()>& importFile,
                                const std::function<void()>& exportFile);

// The bounding rectangle of a grid's selected cells, with its columns counted from `firstColumn`;
// when nothing is selected, the current cell.
GridRect SelectedRect(const QTableView* grid, int firstColumn);

} // namespace qdv
