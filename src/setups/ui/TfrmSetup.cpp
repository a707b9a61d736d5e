#include "setups/ui/TfrmSetup.h"

#include "setups/SetupList.h"
#include "setups/ui/TfrmAdvance.h"
#include "widgets/MessageBox.h"
#include "widgets/TPanelButton.h"

#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace qdv {
namespace {

const QString kBrowseTitle = QStringLiteral("Select Backup Data Path");

QString DefaultBrowser(QWidget* owner, const QString& title, const QString& start) {
    return QFileDialog::getExistingDirectory(owner, title, start, QFileDialog::ShowDirsOnly);
}

TfrmSetup::FolderBrowser& Browser() {
    static TfrmSetup::FolderBrowser browser = DefaultBrowser;
    return browser;
}

} // namespace

TfrmSetup::TfrmSetup(SetupList& list, const PortSettings& ports, QString homeFolder, QWidget* parent)
    : TPanelDialog(parent), m_model(list), m_ports(ports), m_home(std::move(homeFolder)),
      m_advance(new TfrmAdvance(list, this)) {
    setObjectName(QStringLiteral("frmSetup"));
    setWindowTitle(QStringLiteral("Configuration Setup"));

    m_editSetupName = new QLineEdit(this);
    m_editSetupName->setObjectName(QStringLiteral("editSetupName"));
    m_edtBackupDataPath = new QLineEdit(this);
    m_edtBackupDataPath->setObjectName(QStringLiteral("edtBackupDataPath"));
    m_edtBackupDataPath->setReadOnly(true);
    m_edtBackupDataPath->setFocusPolicy(Qt::NoFocus);
    auto* btnGetFoldr =
        AddPanelButton(QStringLiteral("..."), QStringLiteral("btnGetFoldr"), [this] { btnGetFoldrClick(); });
    btnGetFoldr->setFixedWidth(28);

    m_rdoLan = new QRadioButton(QStringLiteral("LAN"), this);
    m_rdoLan->setObjectName(QStringLiteral("rdoLan"));
    connect(m_rdoLan, &QRadioButton::clicked, this, &TfrmSetup::rdoLanClick);
    m_rdoRs = new QRadioButton(QStringLiteral("RS-232C"), this);
    m_rdoRs->setObjectName(QStringLiteral("rdoRs"));
    connect(m_rdoRs, &QRadioButton::clicked, this, &TfrmSetup::rdoRsClick);

    // Four groups of three digit places between fixed dots, a blank in every empty place.
    m_edtIp = new QLineEdit(this);
    m_edtIp->setObjectName(QStringLiteral("edtIp"));
    m_edtIp->setInputMask(QStringLiteral("000.000.000.000; "));
    m_edtIp->setFixedWidth(m_edtIp->fontMetrics().horizontalAdvance(QStringLiteral("000.000.000.000")) + 16);
    m_cmbPort = new QComboBox(this);
    m_cmbPort->setObjectName(QStringLiteral("cmbPort"));
    for (int n = 1; n <= SetupEditorModel::kComPorts; ++n)
        m_cmbPort->addItem(QStringLiteral("COM%1").arg(n));
    connect(m_cmbPort, &QComboBox::currentIndexChanged, this, &TfrmSetup::cmbPortChange);
    // The device the port number stands for on this machine (QDV70COMM.INI, section SERIAL).
    m_lblDevice = new QLabel(this);
    m_lblDevice->setObjectName(QStringLiteral("lblDevice"));

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Setup Name:"), this), 0, 0);
    grid->addWidget(m_editSetupName, 0, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Backup Data Path:"), this), 1, 0);
    grid->addWidget(m_edtBackupDataPath, 1, 1);
    grid->addWidget(btnGetFoldr, 1, 2);
    grid->setColumnMinimumWidth(1, 300);

    auto* radios = new QHBoxLayout;
    radios->addWidget(m_rdoLan);
    radios->addWidget(m_rdoRs);
    radios->addStretch();
    auto* link = new QHBoxLayout;
    link->addWidget(m_edtIp);
    link->addWidget(m_cmbPort);
    link->addWidget(m_lblDevice);
    link->addStretch();
    // The same height whichever of the two fields is shown.
    auto* linkRow = new QWidget(this);
    linkRow->setLayout(link);
    link->setContentsMargins(0, 0, 0, 0);
    linkRow->setMinimumHeight(std::max(m_edtIp->sizeHint().height(), m_cmbPort->sizeHint().height()));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(AddPanelButton(QStringLiteral("Advance...(&M)"), QStringLiteral("btnAdvance"),
                                      [this] { btnAdvanceClick(); }));
    buttons->addStretch();
    buttons->addWidget(
        AddPanelButton(QStringLiteral("OK(&O)"), QStringLiteral("btnOk"), [this] { btnOkClick(); }));
    buttons->addWidget(AddPanelButton(QStringLiteral("Cancel(&C)"), QStringLiteral("btnCancel"),
                                      [this] { btnCancelClick(); }));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(radios);
    layout->addWidget(linkRow);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

TfrmSetup::FolderBrowser TfrmSetup::SetFolderBrowser(FolderBrowser browser) {
    FolderBrowser previous = std::move(Browser());
    Browser() = browser ? std::move(browser) : DefaultBrowser;
    return previous;
}

bool TfrmSetup::ShowNew() {
    if (!m_model.OpenNew())
        return false;
    m_acceptedName.clear();
    return Run();
}

bool TfrmSetup::ShowModify(int n) {
    if (!m_model.OpenModify(n))
        return false;
    m_acceptedName = m_model.name;
    return Run();
}

bool TfrmSetup::Run() {
    m_cancelled = false;
    m_accepted = false;
    m_editSetupName->setText(m_model.name);
    m_edtBackupDataPath->setText(m_model.backupDataPath);
    m_edtIp->setText(m_model.ipText);
    m_cmbPort->setCurrentIndex(m_model.comPort - 1);
    m_rdoLan->setChecked(m_model.selectLan);
    m_rdoRs->setChecked(!m_model.selectLan);
    cmbPortChange();
    ShowLink();
    m_editSetupName->setFocus();
    exec();
    return m_accepted;
}

void TfrmSetup::ShowLink() {
    const bool lan = m_rdoLan->isChecked();
    m_edtIp->setVisible(lan);
    m_cmbPort->setVisible(!lan);
    m_lblDevice->setVisible(!lan);
}

void TfrmSetup::rdoLanClick() {
    ShowLink();
}

void TfrmSetup::rdoRsClick() {
    ShowLink();
}

void TfrmSetup::cmbPortChange() {
    m_lblDevice->setText(m_ports.SerialDevicePath(m_cmbPort->currentIndex() + 1));
}

void TfrmSetup::btnGetFoldrClick() {
    const QString current = m_edtBackupDataPath->text();
    const QString chosen = Browser()(this, kBrowseTitle, current.isEmpty() ? m_home : current);
    if (!chosen.isEmpty())
        m_edtBackupDataPath->setText(chosen);
}

void TfrmSetup::btnAdvanceClick() {
    m_advance->ShowFor(m_model.Number());
}

void TfrmSetup::btnOkClick() {
    m_model.name = m_editSetupName->text();
    m_model.backupDataPath = m_edtBackupDataPath->text();
    m_model.selectLan = m_rdoLan->isChecked();
    m_model.ipText = m_edtIp->displayText();
    m_model.comPort = m_cmbPort->currentIndex() + 1;
    const int code = m_model.Accept();
    if (code != 0) {
        ShowMessage(this, code, DialogType::Warning, kButtonOk);
        return;
    }
    m_acceptedName = m_model.name;
    m_accepted = true;
    accept();
}

void TfrmSetup::btnCancelClick() {
    reject();
}

void TfrmSetup::done(int result) {
    // Whatever closes the dialog without an accepted OK (Cancel, Esc, the window's close box) cancels.
    m_cancelled = !m_accepted;
    TPanelDialog::done(result);
}

} // namespace qdv
