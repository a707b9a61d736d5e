#pragma once

#include "editors/DescAliasEditor.h"
#include "editors/ui/EditorDialogs.h"
#include "store/SetupRecord.h"

#include <QDialog>
#include <array>

class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTabWidget;
class QTableView;

namespace qdv {

class CellEditDelegate;
class DescAliasModel;

// "Edit Description/Alias": the description and the seven aliases of every source and destination on
// two pages, with Cut, Copy, Paste, Delete, Undo and Redo over rectangles of cells, CSV import and
// export, and OK, which writes ZEBU_NME.CSV and, when confirmed, the description and alias files.
// The window only adapts DescAliasEditor, which holds the grids and the rules.
class TfrmEditDescAndAlias : public QDialog {
    Q_OBJECT

public:
    TfrmEditDescAndAlias(ConversionTables& tables, const SetupRecord& setup, const SetupFont* font,
                         QWidget* parent = nullptr);
    ~TfrmEditDescAndAlias() override;

    DescAliasEditor& Editor() { return m_editor; }
    QTableView* Grid(Side side) const { return m_grids[Index(side)]; }
    QTabWidget* Pages() const { return m_pageQdv70; }
    QMenu* PopupMenu() const { return m_popMenu; }
    QPushButton* OkButton() const { return m_buttons.ok; }
    QPushButton* CancelButton() const { return m_buttons.cancel; }
    QPushButton* ImportButton() const { return m_buttons.importFile; }
    QPushButton* ExportButton() const { return m_buttons.exportFile; }
    QString MessageText() const;

    // Handlers of the window's controls.
    void pageQdv70Change(int index);
    void popCutClick();
    void popCopyClick();
    void popPasteClick();
    void popDeleteClick();
    void popUndoClick();
    void popRedoClick();
    void btnOkClick();
    void btnImportClick();
    void btnExportClick();

    // Cancel, Esc and the close button: asks before changes are dropped.
    void reject() override;
    // Every way of closing: the size and column widths are remembered for the next opening.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static int Index(Side side) { return side == Side::Source ? 0 : 1; }
    QTableView* BuildGrid(Side side);
    void FormShow();
    void ShowMenu(const QPoint& globalPos);
    void grdListSelectCell(const QModelIndex& current);
    void grdListEnter();
    QTableView* CurrentGrid() const { return Grid(m_editor.Page()); }
    DescAliasModel* CurrentModel() const { return m_models[Index(m_editor.Page())]; }
    // The cell the operator is on, in text columns.
    GridRect CurrentCell() const;
    QLineEdit* OpenEditor() const;
    // Closes the in-place editor, its text kept in the cell.
    void FinishEditing();
    void Say(const QString& text);

    DescAliasEditor m_editor;
    SetupRecord m_setup;
    const SetupFont* m_font;
    QTabWidget* m_pageQdv70 = nullptr;
    std::array<QTableView*, 2> m_grids{};
    std::array<DescAliasModel*, 2> m_models{};
    std::array<CellEditDelegate*, 2> m_delegates{};
    QMenu* m_popMenu = nullptr;
    QLabel* m_lblMessage = nullptr;
    EditorButtons m_buttons;
};

} // namespace qdv
