#pragma once

#include "secondary/SecondaryDataModel.h"
#include "secondary/ui/TStationDialog.h"

class QLabel;
class QMenu;
class QTableWidget;
class QTableWidgetItem;

namespace qdv {

// "Receive Secondary Data" and "Send Secondary Data": the 253 station rows with their check boxes, the
// check menu and the count of checked rows; Start runs the Secondary job over the checked stations and
// the Status column shows each station's result. The two dialogs differ only in their captions, the
// direction of the job and their status words.
class TfrmSecondaryData : public TStationDialog {
    Q_OBJECT

public:
    enum Column { kColId = 0, kColStatus = 1, kColName = 2, kColIp = 3 };

    TfrmSecondaryData(StationDialogServices services, Direction direction, QWidget* parent = nullptr);

    void mnuChk_AllClick();
    void mnuChk_ClearClick();
    void mnuChk_DeviceClick();

    const SecondaryDataModel& Model() const { return m_model; }
    QTableWidget* List() const { return m_listDevice; }
    QLabel* CountPanel() const { return m_pnlCnt; }
    QMenu* CheckMenu() const { return m_mnuCheck; }
    // The row of a station, and a click on its check box as the mouse gives it.
    QTableWidgetItem* RowItem(int id, int column) const;
    void ClickCheckBox(int id);

protected:
    void FillRows() override;
    void RefreshStatus() override;
    void SelectStation(int id) override;
    bool StartJob() override;
    bool StartAllowed() const override { return m_model.CanStart(); }
    void EnableOwnControls(bool idle) override;
    // A receive run is recorded in the backup folder's history.
    void RunEnded() override;

private:
    void listDeviceItemChanged(QTableWidgetItem* item);
    void ShowChecks();
    void ShowCount();

    SecondaryDataModel m_model;
    QTableWidget* m_listDevice = nullptr;
    QLabel* m_pnlCnt = nullptr;
    QMenu* m_mnuCheck = nullptr;
};

} // namespace qdv
