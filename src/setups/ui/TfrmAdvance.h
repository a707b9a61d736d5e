#pragma once

#include "setups/AdvancedOptionsModel.h"
#include "widgets/TPanelDialog.h"

#include <array>

class QCheckBox;

namespace qdv {

class TFontChooser;
class TfrmRemote3;

// "Configuration Setup(Advance)": the primary backup files, the tabs and function buttons the main
// window offers, the editors' font and, through Remote, the LAN port of one setup. OK stores the boxes
// into the setup's record; Remote and Font store their results at once, whatever OK or Cancel follow.
class TfrmAdvance : public TPanelDialog {
    Q_OBJECT

public:
    TfrmAdvance(SetupList& list, QWidget* parent = nullptr);

    // Shows the options of setup n (count + 1 for a setup being made) modally; true after OK.
    bool ShowFor(int n);

    TfrmRemote3& Remote3() { return *m_remote3; }
    TFontChooser& FontChooser() { return *m_fontChooser; }

    void btnRemoteClick();
    void btnFontClick();
    void btnOkClick();
    void btnCancelClick();

private:
    void ApplyGroupRule(int group);

    SetupList& m_list;
    AdvancedOptionsModel m_model;
    std::array<QCheckBox*, AdvancedOptionsModel::kPrimaryFiles> m_chkBackup{};
    std::array<QCheckBox*, AdvancedOptionsModel::kGroups> m_chkGroup{};
    std::array<std::array<QCheckBox*, 6>, AdvancedOptionsModel::kGroups> m_chkButton{};
    TfrmRemote3* m_remote3;
    TFontChooser* m_fontChooser;
};

} // namespace qdv
