#pragma once

#include "widgets/TPanelDialog.h"

#include <QTimer>
#include <functional>

class QBoxLayout;
class QFrame;
class QLabel;
class QProgressBar;
class QTableWidget;

namespace qdv {

class StationDialogModel;

// The frame the secondary-station dialogs share: Get Z Menu and List Clear above the station list, the
// progress gauge, Start, Cancel and Exit below it, and the 250 ms follow-up of a running job. The
// logic lives in a StationDialogModel; the subclasses add the list and say how it is drawn.
class TStationDialog : public TPanelDialog {
    Q_OBJECT

public:
    static constexpr int kPollMs = 250;
    // Shows the device search modally; set on the desktop program, absent in tests.
    using DeviceSearch = std::function<void(QWidget* owner)>;

    ~TStationDialog() override;

    void SetDeviceSearch(DeviceSearch search) { m_search = std::move(search); }

    void btnGetZMenuClick();
    void btnListClearClick();
    void btnStartClick();
    void btnCancelClick();
    void btnExitClick();
    void timMainTimer();

    TPanelButton* GetZMenuButton() const { return m_btnGetZMenu; }
    TPanelButton* ListClearButton() const { return m_btnListClear; }
    TPanelButton* StartButton() const { return m_btnStart; }
    TPanelButton* CancelButton() const { return m_btnCancel; }
    TPanelButton* ExitButton() const { return m_btnExit; }
    QProgressBar* Gauge() const { return m_gauge; }
    bool Following() const { return m_timMain.isActive(); }

protected:
    TStationDialog(const QString& caption, const QString& startCaption, QWidget* parent);

    // Called by the subclass once its list exists: loads the station list and draws it, idle.
    void Initialise(StationDialogModel& model);
    // Adds the subclass's widgets between the top buttons and the gauge.
    QBoxLayout* Body() const { return m_body; }
    QBoxLayout* TopRow() const { return m_top; }

    // Rebuilds every row from the station list and the snapshot.
    virtual void FillRows() = 0;
    // Rewrites the Status cells from the snapshot.
    virtual void RefreshStatus() = 0;
    virtual void SelectStation(int) {}
    // Starts the subclass's job; false when it did not start.
    virtual bool StartJob() = 0;
    virtual bool StartAllowed() const { return true; }
    // The subclass's own controls in the idle or the running state.
    virtual void EnableOwnControls(bool idle) = 0;
    // A station job (not Get Z Menu) has ended and the Status column shows its results.
    virtual void RunEnded() {}

    // A station list whose Status texts keep their colours on the selected row, so that the station in
    // transfer is seen to flash there too.
    static void KeepStatusColours(QTableWidget* list, int statusColumn);
    // The widths of the station columns from `firstColumn` on (Station ID, Status, Device Name, IP), from
    // the list's font: each as wide as its header and its longest text. Returns their sum.
    static int SetStationColumnWidths(QTableWidget* list, int firstColumn);

    // Idle or running state of every control.
    void SetIdle(bool idle);
    void RefreshStart();

    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    // Every way of closing: the size is remembered for the next opening.
    void done(int result) override;
    // Besides the buttons' Alt keys, Esc cancels a running job. While a job runs, its Alt+C and Esc are
    // Cancel's, not a shortcut of the menu bar's; a greyed button leaves its key to the rest of the
    // dialog (Alt+C to the check menu when idle).
    TPanelButton* ButtonOfKey(int key, Qt::KeyboardModifiers modifiers) const override;

private:
    void UpdateGauge();

    StationDialogModel* m_model = nullptr;
    DeviceSearch m_search;
    QBoxLayout* m_top = nullptr;
    QBoxLayout* m_body = nullptr;
    TPanelButton* m_btnGetZMenu = nullptr;
    TPanelButton* m_btnListClear = nullptr;
    TPanelButton* m_btnStart = nullptr;
    TPanelButton* m_btnCancel = nullptr;
    TPanelButton* m_btnExit = nullptr;
    QFrame* m_pnlGauge = nullptr;
    QProgressBar* m_gauge = nullptr;
    QTimer m_timMain;
};

} // namespace qdv
