#pragma once

#include "editors/CrosspointEditor.h"
#include "editors/ui/EditorDialogs.h"
#include "store/SetupRecord.h"

#include <QDialog>

class QPushButton;
class QTableView;

namespace qdv {

class ConversionTables;
class CrosspointModel;

// "Edit Crosspoint": the destination grid with the source routed on each of the 8 levels, and the
// source grid; a double click on a source routes it to the selected level cells (or, with a whole row
// selected, to every level of it), Delete clears them. OK writes ZEBU_XPT.CSV and, when confirmed,
// ZEBU_XPT.DAU. The window only adapts CrosspointEditor, which edits the crosspoint table in place.
class TfrmEditCrosspoint : public QDialog {
    Q_OBJECT

public:
    TfrmEditCrosspoint(ConversionTables& tables, const SetupRecord& setup, const SetupFont* font,
                       QWidget* parent = nullptr);
    ~TfrmEditCrosspoint() override;

    CrosspointEditor& Editor() { return m_editor; }
    QTableView* DestinationGrid() const { return m_grdDstList; }
    QTableView* SourceGrid() const { return m_grdSrcList; }
    QPushButton* OkButton() const { return m_buttons.ok; }
    QPushButton* CancelButton() const { return m_buttons.cancel; }
    QPushButton* ImportButton() const { return m_buttons.importFile; }
    QPushButton* ExportButton() const { return m_buttons.exportFile; }

    // Handlers of the window's controls.
    void grdDstListSelectCell(const QModelIndex& current);
    void grdSrcListDblClick();
    void grdDstListDelete();
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
    QTableView* BuildGrid(CrosspointModel* model, const char* name);
    void FormShow();
    GridRect SelectedLevels() const;

    ConversionTables& m_tables;
    CrosspointEditor m_editor;
    SetupRecord m_setup;
    const SetupFont* m_font;
    CrosspointModel* m_dstModel = nullptr;
    CrosspointModel* m_srcModel = nullptr;
    QTableView* m_grdDstList = nullptr;
    QTableView* m_grdSrcList = nullptr;
    EditorButtons m_buttons;
};

} // namespace qdv
