#pragma once

#include "app/MainWindowModel.h"
#include "editors/EditorKind.h"
#include "store/JobKind.h"
#include "store/SetupRecord.h"

#include <QMainWindow>
#include <QStringList>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QTemporaryDir;
class QFrame;
class QLabel;
class QMenu;
class QProgressBar;
class QThread;

namespace qdv {

namespace history {
struct SnapshotResult;
}

class StatusBlock;
class TPanelButton;
class TTabBar;
class TmTable;
class TmTableRemote;
struct JobReport;
struct SetupFont;

// The window the operator works in: the setup list, the Receive, Send and Edit tabs with their
// function buttons, Cancel and Exit, the progress gauge and three status bars of four panels (from the
// top: the setup's last good Primary backup; status line 1, the file being moved; status line 2, the
// message or the data in flight, beside the connection). A Receive or Send button starts a job through
// the task controller; while it runs the window polls the status block and at the end says what failed.
// What is offered and what may be pressed is decided by MainWindowModel.
class TfrmMain : public QMainWindow {
    Q_OBJECT

public:
    // Starts a job; false when it is refused.
    using JobStarter = std::function<bool(Direction direction, JobKind kind)>;
    static constexpr int kPollMs = 100;

    TfrmMain(TmTable& table, TmTableRemote& remote, StatusBlock& status, QWidget* parent = nullptr);
    ~TfrmMain() override;

    // The task controller comes after the window; until it is set every job is refused.
    void SetJobStarter(JobStarter start) { m_startJob = std::move(start); }
    // Opens the dialog of a secondary function button (Secondary, Description to Secondary, Alias to
    // Secondary; places 3 to 5) modally, for the setup shown.
    using StationDialogOpener = std::function<void(Direction direction, int place, const SetupRecord& setup)>;
    void SetStationDialogOpener(StationDialogOpener open) { m_openStationDialog = std::move(open); }
    // Runs a device search with this window as parent; until it is set the menu entry does nothing.
    using DeviceSearcher = std::function<void(QWidget* parent)>;
    void SetDeviceSearcher(DeviceSearcher search) { m_searchDevices = std::move(search); }
    // Opens an editor of the Edit tab modally, for the setup shown, in the setup's font (null: the
    // desktop's).
    using EditorOpener =
        std::function<void(EditorKind kind, const SetupRecord& setup, const SetupFont* font)>;
    void SetEditorOpener(EditorOpener open) { m_openEditor = std::move(open); }
    // Opens the setup list (Setup > Setup...) modally; the window then shows what it changed.
    using SetupsOpener = std::function<void()>;
    void SetSetupsOpener(SetupsOpener open) { m_openSetups = std::move(open); }
    // Opens the backup history of the setup shown (Setup > History...) modally.
    using HistoryOpener = std::function<void(const SetupRecord& setup)>;
    void SetHistoryOpener(HistoryOpener open) { m_openHistory = std::move(open); }
    // Starts the receive job of `kind` for `readBack`, a copy of the setup whose backup folder is a
    // temporary one: the read-back of "Verify after sending". Until it is set, sends are not verified.
    using ReadBackStarter = std::function<bool(JobKind kind, const SetupRecord& readBack)>;
    void SetReadBackStarter(ReadBackStarter start) { m_startReadBack = std::move(start); }
    // Where Help looks for the HTML manual; by default beside the program (see HelpFiles.h).
    void SetManualFolders(const QStringList& folders) { m_manualFolders = folders; }

    // Handlers of the window's controls.
    void pageQdv70Change(int index);
    void cmbListChange(int index);
    void btn_RcvClick(int place);
    void btn_SndClick(int place);
    void btn_EditClick(int place);
    void btnCancelClick();
    void btnExitClick();
    void mnu_Setup_SetupClick();
    void mnu_Setup_HistoryClick();
    void mnu_Setup_SearchClick();
    void mnu_Help_HelpClick();
    void AboutClick();
    void timMainTimer();
    // The window sees every key before its controls; true when the key acted on a button.
    bool FormKeyDown(int key, Qt::KeyboardModifiers modifiers);

    const MainWindowModel& Model() const { return m_model; }
    TPanelButton* Button(int tab, int place) const;
    TPanelButton* CancelButton() const { return m_btnCancel; }
    TPanelButton* ExitButton() const { return m_btnExit; }
    TTabBar* Tabs() const { return m_pageQdv70; }
    QWidget* Panel(int tab) const;
    QComboBox* SetupList() const { return m_cmbList; }
    QProgressBar* Gauge() const { return m_gauge; }
    QFrame* GaugeStrip() const { return m_pnlGauge; }
    QMenu* SetupMenu() const { return m_mnuSetup; }
    QMenu* HelpMenu() const { return m_mnuHelp; }
    QCheckBox* VerifyBox() const { return m_chkVerify; }
    QLabel* BackupPanel() const { return m_stbBackup; }
    QString StatusLine1() const;
    QString StatusLine2() const;
    QString ConnectionText() const;
    // A job has been started and its end not yet reported.
    bool Polling() const { return m_phase != 0; }
    // The setups' marks in the setup box are being worked out (beside the window).
    bool MarkingSetups() const { return m_marker != nullptr; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    QWidget* BuildPanel(int tab, QWidget* parent);
    void BuildMenus();
    void FillSetupList();
    void ArrangeTabs();
    void EnableButtons(bool enabled);
    void UpdateConnectionText();
    void EnsureFolders();
    void SetupChanged();
    // Status line 1 with no setup says how to add one; else it is emptied.
    void ShowSetupHint();
    void StartJobButton(Direction direction, int place);
    void OpenStationDialog(Direction direction, int place);
    void Press(TPanelButton* button);
    void ReportFinishedJob();
    // The end of a job after its history snapshot (none for a send): status text, backup status row,
    // the read-back when `verify`, else the buttons back.
    void FinishAfterSnapshot(const history::SnapshotResult& snapshot, const SetupRecord& setup, bool verify);
    // "Verify after sending": the read-back after a successful send, and its comparison.
    bool StartReadBack(const SetupRecord& setup, JobKind kind);
    void ReportReadBack(const JobReport& report);
    void RefreshBackupStatus();
    // Works out each setup's health on a thread of its own (it reads the backup folders and their
    // histories) and marks the setups that are not ok in the setup box when it is done.
    void RefreshSetupMarks();
    void ShowSetupMarks(const QStringList& names, const QList<MainWindowModel::SetupMark>& marks);
    const SetupRecord* Current() const;
    const SetupFont* EditorFont() const;

    TmTable& m_table;
    TmTableRemote& m_remote;
    StatusBlock& m_status;
    JobStarter m_startJob;
    StationDialogOpener m_openStationDialog;
    DeviceSearcher m_searchDevices;
    EditorOpener m_openEditor;
    SetupsOpener m_openSetups;
    HistoryOpener m_openHistory;
    ReadBackStarter m_startReadBack;
    MainWindowModel m_model;

    QComboBox* m_cmbList = nullptr;
    TTabBar* m_pageQdv70 = nullptr;
    std::array<QWidget*, kTabCount> m_panels{};
    std::array<std::array<TPanelButton*, MainWindowModel::kPlaces>, kTabCount> m_buttons{};
    TPanelButton* m_btnCancel = nullptr;
    TPanelButton* m_btnExit = nullptr;
    QFrame* m_pnlGauge = nullptr;
    QProgressBar* m_gauge = nullptr;
    QLabel* m_stbMsg = nullptr;
    QLabel* m_stbComm0 = nullptr;
    QLabel* m_stbComm1 = nullptr;
    QLabel* m_stbBackup = nullptr;
    QCheckBox* m_chkVerify = nullptr;
    QMenu* m_mnuSetup = nullptr;
    QMenu* m_mnuHelp = nullptr;
    QTimer m_timMain;

    bool m_cancelled = false;
    Direction m_jobDirection = Direction::Receive;
    JobKind m_jobKind = kJobPrimary;
    int m_warnDays = 7;
    // While a read-back runs: its folder and setup.
    std::unique_ptr<QTemporaryDir> m_readBackDir;
    SetupRecord m_readBackSetup;
    int m_phase = 0;               // 0 off, 1 started, 2 running, 3 writing the history snapshot
    QThread* m_snapshot = nullptr; // writes the snapshot after a receive
    QThread* m_marker = nullptr;   // works out the setups' marks
    bool m_marksOwed = false;      // asked again while the marks were being worked out
    bool m_centred = false;
    QStringList m_manualFolders;
};

} // namespace qdv
