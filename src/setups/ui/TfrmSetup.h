#pragma once

#include "setups/SetupEditorModel.h"
#include "widgets/TPanelDialog.h"

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace qdv {

class TfrmAdvance;
struct PortSettings;

// "Configuration Setup": the editor of one setup's name, backup data folder and link. OK checks the
// input (the first refusal shows its message and keeps the dialog open), stores the setup and writes
// the setup list; every other way out counts as cancelled.
class TfrmSetup : public TPanelDialog {
    Q_OBJECT

public:
    // Picks a folder: given the owner, the title and the starting folder, the chosen folder's path, or
    // an empty text when none was chosen.
    using FolderBrowser = std::function<QString(QWidget* owner, const QString& title, const QString& start)>;

    // `homeFolder` is where the folder browser starts when the setup has no backup path yet.
    TfrmSetup(SetupList& list, const PortSettings& ports, QString homeFolder, QWidget* parent = nullptr);

    // Shows the editor modally for a new setup (appended on OK) or for setup n; true after OK.
    bool ShowNew();
    bool ShowModify(int n);
    // The name OK accepted; after a cancel, empty for a new setup and the unchanged name otherwise.
    const QString& AcceptedName() const { return m_acceptedName; }
    bool Cancelled() const { return m_cancelled; }

    TfrmAdvance& Advance() { return *m_advance; }
    // Replaces the folder browser (QFileDialog::getExistingDirectory); returns the one it replaces.
    static FolderBrowser SetFolderBrowser(FolderBrowser browser);

    void btnGetFoldrClick();
    void rdoLanClick();
    void rdoRsClick();
    void cmbPortChange();
    void btnAdvanceClick();
    void btnOkClick();
    void btnCancelClick();

protected:
    void done(int result) override;

private:
    bool Run();
    void ShowLink();

    SetupEditorModel m_model;
    const PortSettings& m_ports;
    QString m_home;
    QString m_acceptedName;
    bool m_cancelled = false;
    bool m_accepted = false;

    QLineEdit* m_editSetupName;
    QLineEdit* m_edtBackupDataPath;
    QRadioButton* m_rdoLan;
    QRadioButton* m_rdoRs;
    QLineEdit* m_edtIp;
    QComboBox* m_cmbPort;
    QLabel* m_lblDevice;
    TfrmAdvance* m_advance;
};

} // namespace qdv
