#include "setups/ui/TfrmRemote3.h"

#include "base/CatalogueCodes.h"
#include "setups/SetupEditorModel.h"
#include "setups/SetupList.h"
#include "widgets/MessageBox.h"
#include "widgets/TPanelButton.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace qdv {

TfrmRemote3::TfrmRemote3(SetupList& list, QWidget* parent) : TPanelDialog(parent), m_list(list) {
    setObjectName(QStringLiteral("frmRemote3"));
    setWindowTitle(QStringLiteral("Remote3"));

    auto* label = new QLabel(QStringLiteral("Remote3 Port:"), this);
    m_edtRemote3 = new QLineEdit(this);
    m_edtRemote3->setObjectName(QStringLiteral("edtRemote3"));
    // Five places: every port up to 65535 fits.
    m_edtRemote3->setMaxLength(5);
    m_edtRemote3->setFixedWidth(m_edtRemote3->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 12);
    label->setBuddy(m_edtRemote3);

    auto* field = new QHBoxLayout;
    field->addWidget(label);
    field->addWidget(m_edtRemote3);
    field->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(
        AddPanelButton(QStringLiteral("OK(&O)"), QStringLiteral("btnOk"), [this] { btnOkClick(); }));
    buttons->addWidget(AddPanelButton(QStringLiteral("Cancel(&C)"), QStringLiteral("btnCancel"),
                                      [this] { btnCancelClick(); }));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(field);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

bool TfrmRemote3::ShowFor(int n) {
    m_number = n;
    const int port = m_list.Record(n).remote3Port;
    // A port never set (0) or one no link can use shows the default.
    m_edtRemote3->setText(QString::number(SetupEditorModel::ValidPort(port) ? port : kDefaultPort));
    m_edtRemote3->selectAll();
    m_edtRemote3->setFocus();
    return exec() == QDialog::Accepted;
}

void TfrmRemote3::btnOkClick() {
    bool isNumber = false;
    const int port = m_edtRemote3->text().trimmed().toInt(&isNumber);
    if (!isNumber || !SetupEditorModel::ValidPort(port)) {
        ShowMessage(this, msg::kBadPort, DialogType::Warning, kButtonOk);
        return;
    }
    m_list.Record(m_number).remote3Port = port;
    accept();
}

void TfrmRemote3::btnCancelClick() {
    reject();
}

} // namespace qdv
