#include "setups/ui/TfrmConfigurationSetup.h"

#include "base/CatalogueCodes.h"
#include "base/MessageCatalogue.h"
#include "setups/SetupList.h"
#include "setups/ui/TfrmSetup.h"
#include "store/TmTable.h"
#include "widgets/MessageBox.h"
#include "widgets/TPanelButton.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace qdv {

TfrmConfigurationSetup::TfrmConfigurationSetup(SetupList& list, const PortSettings& ports,
                                               const QString& homeFolder, QWidget* parent)
    : TPanelDialog(parent), m_list(list), m_editor(new TfrmSetup(list, ports, homeFolder, this)) {
    setObjectName(QStringLiteral("frmConfigurationSetup"));
    setWindowTitle(QStringLiteral("Configuration Setup"));

    auto* label = new QLabel(QStringLiteral("Setup List:"), this);
    m_listSetup = new QListWidget(this);
    m_listSetup->setObjectName(QStringLiteral("listSetup"));
    m_listSetup->setMinimumSize(260, 220);
    connect(m_listSetup, &QListWidget::itemSelectionChanged, this, &TfrmConfigurationSetup::RefreshButtons);
    label->setBuddy(m_listSetup);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(
        AddPanelButton(QStringLiteral("New(&N)"), QStringLiteral("btnNew"), [this] { btnNewClick(); }));
    m_btnDelete = AddPanelButton(QStringLiteral("Delete(&R)"), QStringLiteral("btnDelete"),
                                 [this] { btnDeleteClick(); });
    m_btnModify = AddPanelButton(QStringLiteral("Modify(&M)"), QStringLiteral("btnModify"),
                                 [this] { btnModifyClick(); });
    m_btnUp = AddPanelButton(QStringLiteral("Up(&U)"), QStringLiteral("btnUp"), [this] { btnUpClick(); });
    m_btnDown =
        AddPanelButton(QStringLiteral("Down(&D)"), QStringLiteral("btnDown"), [this] { btnDownClick(); });
    m_btnCopy =
        AddPanelButton(QStringLiteral("Copy(&C)"), QStringLiteral("btnCopy"), [this] { btnCopyClick(); });
    for (TPanelButton* b : {m_btnDelete, m_btnModify, m_btnUp, m_btnDown, m_btnCopy})
        buttons->addWidget(b);
    buttons->addStretch();
    for (int i = 0; i < buttons->count(); ++i) {
        if (QWidget* w = buttons->itemAt(i)->widget())
            w->setMinimumSize(96, 28);
    }

    auto* left = new QVBoxLayout;
    left->addWidget(label);
    left->addWidget(m_listSetup);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addLayout(buttons);
}

bool TfrmConfigurationSetup::DialogKey(int key, Qt::KeyboardModifiers modifiers) {
    // Enter anywhere in the dialog acts as Modify.
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && (modifiers & ~Qt::KeypadModifier) == 0) {
        m_btnModify->click();
        return true;
    }
    return TPanelDialog::DialogKey(key, modifiers);
}

void TfrmConfigurationSetup::showEvent(QShowEvent* event) {
    TPanelDialog::showEvent(event);
    FillList(m_list.Count() > 0 ? m_list.Table().selected : -1);
}

void TfrmConfigurationSetup::FillList(int row) {
    {
        const QSignalBlocker block(m_listSetup);
        m_listSetup->clear();
        for (int k = 1; k <= m_list.Count(); ++k)
            m_listSetup->addItem(m_list.Record(k).name);
        if (row >= 0 && row < m_listSetup->count()) {
            m_listSetup->setCurrentRow(row);
            m_listSetup->scrollToItem(m_listSetup->item(row));
        }
    }
    RefreshButtons();
}

int TfrmConfigurationSetup::SelectedRow() const {
    const QList<QListWidgetItem*> selected = m_listSetup->selectedItems();
    return selected.isEmpty() ? -1 : m_listSetup->row(selected.front());
}

void TfrmConfigurationSetup::RefreshButtons() {
    const SetupListButtons states = m_list.ButtonStates(SelectedRow());
    m_btnDelete->setEnabled(states.remove);
    m_btnModify->setEnabled(states.modify);
    m_btnUp->setEnabled(states.up);
    m_btnDown->setEnabled(states.down);
    m_btnCopy->setEnabled(states.copy);
}

void TfrmConfigurationSetup::ReportSaveError() {
    const QString error = m_list.TakeSaveError();
    if (!error.isEmpty())
        ShowMessageText(this, error, DialogType::Error, kButtonOk);
}

void TfrmConfigurationSetup::btnNewClick() {
    if (!m_list.Full() && m_editor->ShowNew())
        FillList(m_list.Count() - 1);
    ReportSaveError();
    RefreshButtons();
}

void TfrmConfigurationSetup::btnDeleteClick() {
    const int row = SelectedRow();
    // The question names the setup it is about.
    if (row >= 0 &&
        ShowMessageText(
            this, CatalogueText(msg::kAskDeleteSetup) + QStringLiteral("\n\n") + m_list.Record(row + 1).name,
            DialogType::Information, kButtonOk | kButtonCancel) == kButtonOk &&
        m_list.RemoveSetup(row + 1))
        FillList(row > 0 ? row - 1 : 0);
    ReportSaveError();
    RefreshButtons();
}

void TfrmConfigurationSetup::btnModifyClick() {
    const int row = SelectedRow();
    if (row >= 0) {
        m_editor->ShowModify(row + 1);
        m_listSetup->item(row)->setText(m_list.Record(row + 1).name);
    }
    ReportSaveError();
    RefreshButtons();
}

void TfrmConfigurationSetup::btnUpClick() {
    const int row = SelectedRow();
    if (row > 0 && m_list.MoveSetupUp(row + 1))
        FillList(row - 1);
    ReportSaveError();
    RefreshButtons();
}

void TfrmConfigurationSetup::btnDownClick() {
    const int row = SelectedRow();
    if (row >= 0 && row < m_list.Count() - 1 && m_list.MoveSetupDown(row + 1))
        FillList(row + 1);
    ReportSaveError();
    RefreshButtons();
}

void TfrmConfigurationSetup::btnCopyClick() {
    const int row = SelectedRow();
    if (row >= 0 && m_list.CopySetup(row + 1)) {
        const int copy = m_list.Count();
        m_editor->ShowModify(copy);
        if (m_editor->Cancelled())
            m_list.RemoveSetup(copy);
        else
            FillList(copy - 1);
    }
    ReportSaveError();
    RefreshButtons();
}

void TfrmConfigurationSetup::done(int result) {
    const int selected = m_list.SelectionOnClose(SelectedRow());
    if (selected != m_list.Table().selected) {
        m_list.Select(selected);
        m_list.Save();
        ReportSaveError();
    }
    TPanelDialog::done(result);
}

void OpenSetupList(QWidget* owner, TmTable& table) {
    SetupList list(table.Setups(), table.Files());
    TfrmConfigurationSetup(list, table.Ports(), table.Files().HomeFolder(), owner).exec();
}

} // namespace qdv
