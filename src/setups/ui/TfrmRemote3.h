#pragma once

#include "widgets/TPanelDialog.h"

class QLineEdit;

namespace qdv {

class SetupList;

// "Remote3": the TCP port of one setup's packet link over the LAN.
class TfrmRemote3 : public TPanelDialog {
    Q_OBJECT

public:
    static constexpr int kDefaultPort = 1001;

    TfrmRemote3(SetupList& list, QWidget* parent = nullptr);

    // Shows the port of setup n modally; OK stores it into record n at once. True after OK.
    bool ShowFor(int n);

    void btnOkClick();
    void btnCancelClick();

private:
    SetupList& m_list;
    int m_number = 0;
    QLineEdit* m_edtRemote3;
};

} // namespace qdv
