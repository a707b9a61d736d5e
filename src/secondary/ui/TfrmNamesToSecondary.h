#pragma once

#include "secondary/NamesToSecondaryModel.h"
#include "secondary/ui/TStationDialog.h"

#include <array>

class QButtonGroup;
class QCheckBox;
class QRadioButton;
class QScrollBar;
class QTableWidget;
class QTableWidgetItem;

namespace qdv {

// "Send Description to Secondary" and "Send Alias to Secondary": a window of 15 station rows moved by a
// scroll bar, a radio button beside each row for the one target station, and Broadcast for all of them.
// Start sends the description table (job kind 4) or the alias tables (kind 5).
class TfrmNamesToSecondary : public TStationDialog {
    Q_OBJECT

public:
    enum Column { kColRadio = 0, kColId = 1, kColStatus = 2, kColName = 3, kColIp = 4 };

    TfrmNamesToSecondary(StationDialogServices services, JobKind kind, QWidget* parent = nullptr);

    void scrListChange(int position);
    void rdoIDClick(int row);
    void chkBroadcastClick(bool on);

    const NamesToSecondaryModel& Model() const { return m_model; }
    QTableWidget* List() const { return m_listDevice; }
    QScrollBar* ScrollBar() const { return m_scrList; }
    QCheckBox* BroadcastBox() const { return m_chkBroadcast; }
    QRadioButton* Radio(int row) const { return m_rdoID[static_cast<std::size_t>(row)]; }
    // The cell of a visible row (0..14).
    QTableWidgetItem* RowItem(int row, int column) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void FillRows() override;
    void RefreshStatus() override;
    bool StartJob() override;
    void EnableOwnControls(bool idle) override;

private:
    void ShowRadios();

    NamesToSecondaryModel m_model;
    QTableWidget* m_listDevice = nullptr;
    QScrollBar* m_scrList = nullptr;
    QCheckBox* m_chkBroadcast = nullptr;
    QButtonGroup* m_radios = nullptr;
    std::array<QRadioButton*, NamesToSecondaryModel::kRows> m_rdoID{};
};

} // namespace qdv
