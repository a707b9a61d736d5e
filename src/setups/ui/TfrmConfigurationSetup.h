#pragma once

#include "widgets/TPanelDialog.h"

class QListWidget;

namespace qdv {

class SetupList;
class TPanelButton;
class TfrmSetup;
class TmTable;
struct PortSettings;

// "Configuration Setup": the list of setups with New, Delete, Modify, Up, Down and Copy. Every change
// is written to the setup list at once; when the dialog closes, the setup of the selected row becomes
// the selected setup.
class TfrmConfigurationSetup : public TPanelDialog {
    Q_OBJECT

public:
    TfrmConfigurationSetup(SetupList& list, const PortSettings& ports, const QString& homeFolder,
                           QWidget* parent = nullptr);

    TfrmSetup& Editor() { return *m_editor; }
    QListWidget* List() const { return m_listSetup; }

    void btnNewClick();
    void btnDeleteClick();
    void btnModifyClick();
    void btnUpClick();
    void btnDownClick();
    void btnCopyClick();

protected:
    bool DialogKey(int key, Qt::KeyboardModifiers modifiers) override;
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void FillList(int row);
    int SelectedRow() const;
    void RefreshButtons();
    void ReportSaveError();

    SetupList& m_list;
    QListWidget* m_listSetup;
    TPanelButton* m_btnDelete;
    TPanelButton* m_btnModify;
    TPanelButton* m_btnUp;
    TPanelButton* m_btnDown;
    TPanelButton* m_btnCopy;
    TfrmSetup* m_editor;
};

// Shows the setup list modally over the program's setup table.
void OpenSetupList(QWidget* owner, TmTable& table);

} // namespace qdv
