#include "setups/ui/TfrmAdvance.h"

#include "setups/SetupList.h"
#include "setups/ui/TFontChooser.h"
#include "setups/ui/TfrmRemote3.h"
#include "widgets/TPanelButton.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace qdv {
namespace {

struct Box {
    const char* name;
    const char* caption;
};

const Box kBackupBoxes[AdvancedOptionsModel::kPrimaryFiles] = {
    {"chkBackup_STD", "ZEBU_STD.DAU"}, {"chkBackup_TLN", "ZEBU_TLN.DAU"}, {"chkBackup_GPH", "ZEBU_GPH.DAU"},
    {"chkBackup_LVG", "ZEBU_LVG.DAU"}, {"chkBackup_INH", "ZEBU_INH.DAU"}, {"chkBackup_SGP", "ZEBU_SGP.DAU"},
    {"chkBackup_422", "ZEBU_422.DAU"}, {"chkBackup_IDX", "ZEBU_IDX.DAU"},
};

const Box kGroupBoxes[AdvancedOptionsModel::kGroups] = {
    {"chkRcv", "RECEIVE:Device to Primary"},
    {"chkSnd", "SEND:Device to Primary"},
    {"chkEdit", "EDIT"},
};

const char* const kButtonCaptions[AdvancedOptionsModel::kGroups][6] = {
    {"Description(F1)", "Crosspoint(F2)", "Primary(F3)", "Secondary(F4)", nullptr, nullptr},
    {"Description(F1)", "Crosspoint(F2)", "Primary(F3)", "Secondary(F4)", "Description to Secondary(F5)",
     "Alias to Secondary(F6)"},
    {"Description/Alias(F1)", "Crosspoint(F2)", nullptr, nullptr, nullptr, nullptr},
};
const char* const kButtonPrefixes[AdvancedOptionsModel::kGroups] = {"chkRcvF", "chkSndF", "chkEditF"};

} // namespace

TfrmAdvance::TfrmAdvance(SetupList& list, QWidget* parent)
    : TPanelDialog(parent), m_list(list), m_model(list), m_remote3(new TfrmRemote3(list, this)),
      m_fontChooser(new TFontChooser(this)) {
    setObjectName(QStringLiteral("frmAdvance"));
    setWindowTitle(QStringLiteral("Configuration Setup(Advance)"));

    auto* files = new QGroupBox(QStringLiteral("Select Primary Backup File"), this);
    auto* fileGrid = new QGridLayout(files);
    for (int bit = 0; bit < AdvancedOptionsModel::kPrimaryFiles; ++bit) {
        auto* box = new QCheckBox(QString::fromLatin1(kBackupBoxes[bit].caption), files);
        box->setObjectName(QString::fromLatin1(kBackupBoxes[bit].name));
        fileGrid->addWidget(box, bit % 4, bit / 4);
        m_chkBackup[bit] = box;
    }

    auto* functions = new QGroupBox(QStringLiteral("Select Available Function Button"), this);
    auto* functionGrid = new QGridLayout(functions);
    for (int g = 0; g < AdvancedOptionsModel::kGroups; ++g) {
        auto* group = new QCheckBox(QString::fromLatin1(kGroupBoxes[g].caption), functions);
        group->setObjectName(QString::fromLatin1(kGroupBoxes[g].name));
        connect(group, &QCheckBox::toggled, this, [this, g] { ApplyGroupRule(g); });
        functionGrid->addWidget(group, 0, g);
        m_chkGroup[g] = group;
        for (int bit = 0; bit < AdvancedOptionsModel::kButtons[g]; ++bit) {
            auto* box = new QCheckBox(QString::fromLatin1(kButtonCaptions[g][bit]), functions);
            box->setObjectName(QStringLiteral("%1%2").arg(QLatin1String(kButtonPrefixes[g])).arg(bit + 1));
            // Indented under the tab's box.
            box->setContentsMargins(16, 0, 0, 0);
            functionGrid->addWidget(box, bit + 1, g);
            m_chkButton[g][bit] = box;
        }
    }
    functionGrid->setRowStretch(7, 1);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(AddPanelButton(QStringLiteral("Remote(&R)"), QStringLiteral("btnRemote"),
                                      [this] { btnRemoteClick(); }));
    buttons->addWidget(
        AddPanelButton(QStringLiteral("Font(&F)"), QStringLiteral("btnFont"), [this] { btnFontClick(); }));
    buttons->addStretch();
    buttons->addWidget(
        AddPanelButton(QStringLiteral("OK(&O)"), QStringLiteral("btnOk"), [this] { btnOkClick(); }));
    buttons->addWidget(AddPanelButton(QStringLiteral("Cancel(&C)"), QStringLiteral("btnCancel"),
                                      [this] { btnCancelClick(); }));

    auto* boxes = new QVBoxLayout;
    boxes->addWidget(files);
    boxes->addWidget(functions);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(boxes);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

bool TfrmAdvance::ShowFor(int n) {
    m_model.Open(n);
    for (int bit = 0; bit < AdvancedOptionsModel::kPrimaryFiles; ++bit)
        m_chkBackup[bit]->setChecked(m_model.PrimaryFile(bit));
    for (int g = 0; g < AdvancedOptionsModel::kGroups; ++g) {
        for (int bit = 0; bit < AdvancedOptionsModel::kButtons[g]; ++bit)
            m_chkButton[g][bit]->setChecked(m_model.Button(g, bit));
        m_chkGroup[g]->setChecked(m_model.GroupOn(g));
        // toggled() does not fire when the state is unchanged.
        ApplyGroupRule(g);
    }
    return exec() == QDialog::Accepted;
}

void TfrmAdvance::ApplyGroupRule(int g) {
    m_model.SetGroupOn(g, m_chkGroup[g]->isChecked());
    for (int bit = 0; bit < AdvancedOptionsModel::kButtons[g]; ++bit)
        m_chkButton[g][bit]->setEnabled(m_model.ButtonEnabled(g));
}

void TfrmAdvance::btnRemoteClick() {
    m_remote3->ShowFor(m_model.Number());
}

void TfrmAdvance::btnFontClick() {
    SetupFont& entry = m_list.Font(m_model.Number());
    const SetupFont start = entry.name.isEmpty() ? TFontChooser::MenuFontEntry() : entry;
    SetupFont chosen;
    if (m_fontChooser->Choose(start, &chosen))
        entry = chosen;
}

void TfrmAdvance::btnOkClick() {
    for (int bit = 0; bit < AdvancedOptionsModel::kPrimaryFiles; ++bit)
        m_model.SetPrimaryFile(bit, m_chkBackup[bit]->isChecked());
    for (int g = 0; g < AdvancedOptionsModel::kGroups; ++g) {
        m_model.SetGroupOn(g, m_chkGroup[g]->isChecked());
        for (int bit = 0; bit < AdvancedOptionsModel::kButtons[g]; ++bit)
            m_model.SetButton(g, bit, m_chkButton[g][bit]->isChecked());
    }
    m_model.Store();
    accept();
}

void TfrmAdvance::btnCancelClick() {
    reject();
}

} // namespace qdv
