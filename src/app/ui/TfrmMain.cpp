#include "app/ui/TfrmMain.h"

#include "app/HelpFiles.h"
#include "app/JobReport.h"
#include "app/JobSnapshot.h"
#include "app/SendVerification.h"
#include "app/SetupHealth.h"
#include "app/ui/TAboutDlg.h"
#include "base/CatalogueCodes.h"
#include "base/MessageCatalogue.h"
#include "convert/TmTableRemote.h"
#include "history/BackupHistory.h"
#include "link/StatusBlock.h"
#include "link/TransferJobs.h"
#include "store/PathNoCase.h"
#include "store/TmTable.h"
#include "widgets/MessageBox.h"
#include "widgets/TPanelButton.h"
#include "widgets/TTabBar.h"
#include "widgets/UserSettings.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QSettings>
#include <QStyle>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>

namespace qdv {
namespace {

// Sizes and colours of the window, in pixels of its client area.
constexpr int kClientWidth = 441;
constexpr int kClientHeight = 355;
constexpr int kMargin = 8;
constexpr int kTabTop = 40;
constexpr int kTabHeight = 24;
constexpr int kPanelHeight = 182;
constexpr int kButtonWidth = 194;
constexpr int kButtonHeight = 34;
constexpr int kButtonGap = 6;
constexpr int kBottomButtonWidth = 84;
constexpr int kBottomButtonHeight = 26;
constexpr int kStatusHeight = 22;
constexpr int kCommPanel0Width = 330;
constexpr int kGaugePointSize = 9;

const QString kVerifyKey = QStringLiteral("mainWindow/verifyAfterSending");

// Catalogue codes of the window's own texts.

// What a function button does, for its tooltip; the key is added to it.
QString ButtonToolTip(int tab, int place) {
    static const char* const kTips[kTabCount][MainWindowModel::kPlaces] = {
        {"Receive the descriptions and aliases from the device", "Receive the crosspoints from the device",
         "Receive the setup's Primary files from the device", "Receive the data of secondary stations",
         nullptr, nullptr},
        {"Send the descriptions to the device", "Send the crosspoints to the device",
         "Send the setup's Primary files to the device", "Send the data of secondary stations",
         "Send the descriptions to secondary stations", "Send the aliases to secondary stations"},
        {"Edit the descriptions and aliases", "Edit the crosspoints", nullptr, nullptr, nullptr, nullptr},
    };
    const char* tip = kTips[tab][place];
    return tip ? QStringLiteral("%1 (F%2)").arg(QString::fromLatin1(tip)).arg(place + 1) : QString();
}

const QColor kBackground(157, 176, 196);
const QColor kWarning(255, 200, 64);

void Fill(QWidget* w, const QColor& colour) {
    QPalette p = w->palette();
    p.setColor(QPalette::Window, colour);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

QLabel* StatusPanel(QWidget* parent, const QString& name) {
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    l->setIndent(3);
    l->setTextFormat(Qt::PlainText);
    Fill(l, TPanelButton::kFace);
    return l;
}

} // namespace

TfrmMain::TfrmMain(TmTable& table, TmTableRemote& remote, StatusBlock& status, QWidget* parent)
    : QMainWindow(parent), m_table(table), m_remote(remote), m_status(status),
      m_manualFolders(DefaultManualFolders(QCoreApplication::applicationDirPath())) {
    FormCreate();
    // Keyboard preview: the window sees the keys of all its controls first.
    qApp->installEventFilter(this);
}

TfrmMain::~TfrmMain() {
    qApp->removeEventFilter(this);
    // A snapshot still being written is let finish: it holds the history's locks.
    if (m_snapshot) {
        m_snapshot->wait();
        delete m_snapshot;
    }
    if (m_marker) {
        m_marker->wait();
        delete m_marker;
    }
}

void TfrmMain::FormCreate() {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral(QDV70_PRODUCT_NAME));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    auto* client = new QWidget(this);
    client->setFixedSize(kClientWidth, kClientHeight);
    Fill(client, kBackground);
    setCentralWidget(client);
    BuildMenus();

    m_cmbList = new QComboBox(client);
    m_cmbList->setObjectName(QStringLiteral("cmbList"));
    m_cmbList->setGeometry(kMargin, kMargin, kClientWidth - 2 * kMargin, 26);
    connect(m_cmbList, &QComboBox::currentIndexChanged, this, &TfrmMain::cmbListChange);

    m_pageQdv70 = new TTabBar(client);
    m_pageQdv70->setObjectName(QStringLiteral("pageQdv70"));
    m_pageQdv70->setGeometry(kMargin, kTabTop, kClientWidth - 2 * kMargin, kTabHeight);
    for (int tab = 0; tab < kTabCount; ++tab) {
        m_pageQdv70->addTab(MainWindowModel::TabCaption(tab));
        m_panels[tab] = BuildPanel(tab, client);
    }
    connect(m_pageQdv70, &QTabBar::currentChanged, this, &TfrmMain::pageQdv70Change);

    const int bottomTop = kTabTop + kTabHeight + kPanelHeight + kMargin;
    m_btnExit = new TPanelButton(QStringLiteral("Exit(&E)"), client);
    m_btnExit->setObjectName(QStringLiteral("btnExit"));
    m_btnExit->setGeometry(kClientWidth - kMargin - kBottomButtonWidth, bottomTop, kBottomButtonWidth,
                           kBottomButtonHeight);
    m_btnExit->setToolTip(QStringLiteral("Close the program (Alt+E)"));
    connect(m_btnExit, &QAbstractButton::clicked, this, &TfrmMain::btnExitClick);
    m_btnCancel = new TPanelButton(QStringLiteral("Cancel(&C)"), client);
    m_btnCancel->setObjectName(QStringLiteral("btnCancel"));
    m_btnCancel->setGeometry(m_btnExit->x() - kButtonGap - kBottomButtonWidth, bottomTop, kBottomButtonWidth,
                             kBottomButtonHeight);
    m_btnCancel->setToolTip(QStringLiteral("Stop the running job (Esc, Alt+C)"));
    connect(m_btnCancel, &QAbstractButton::clicked, this, &TfrmMain::btnCancelClick);

    m_pnlGauge = new QFrame(client);
    m_pnlGauge->setObjectName(QStringLiteral("pnlGauge"));
    m_pnlGauge->setGeometry(kMargin, bottomTop, m_btnCancel->x() - kButtonGap - kMargin, kBottomButtonHeight);
    Fill(m_pnlGauge, kBackground);
    m_gauge = new QProgressBar(m_pnlGauge);
    m_gauge->setObjectName(QStringLiteral("gauge"));
    m_gauge->setGeometry(m_pnlGauge->rect().adjusted(2, 3, -2, -3));
    m_gauge->setMinimum(0);
    m_gauge->setAlignment(Qt::AlignCenter);
    QFont gaugeFont = m_gauge->font();
    gaugeFont.setPointSize(kGaugePointSize);
    m_gauge->setFont(gaugeFont);
    const QColor fore = palette().color(QPalette::Active, QPalette::Highlight);
    m_gauge->setStyleSheet(QStringLiteral("QProgressBar { background: white; border: none; color: black; }"
                                          "QProgressBar::chunk { background: %1; }")
                               .arg(fore.name()));
    m_pnlGauge->hide();

    // The age of the selected setup's last good Primary backup, in a warning colour when it is old.
    m_stbBackup = StatusPanel(client, QStringLiteral("stbBackup"));
    m_stbBackup->setGeometry(0, kClientHeight - 3 * kStatusHeight, kClientWidth, kStatusHeight);
    m_warnDays = m_table.Files().LoadBackupWarnDays();
    m_stbMsg = StatusPanel(client, QStringLiteral("stbMsg"));
    m_stbMsg->setGeometry(0, kClientHeight - 2 * kStatusHeight, kClientWidth, kStatusHeight);
    m_stbComm0 = StatusPanel(client, QStringLiteral("stbComm0"));
    m_stbComm0->setGeometry(0, kClientHeight - kStatusHeight, kCommPanel0Width, kStatusHeight);
    // The last panel reaches to the window's edge, so "COM15,38400" is never cut.
    m_stbComm1 = StatusPanel(client, QStringLiteral("stbComm1"));
    m_stbComm1->setGeometry(kCommPanel0Width, kClientHeight - kStatusHeight, kClientWidth - kCommPanel0Width,
                            kStatusHeight);

    m_timMain.setSingleShot(true);
    m_timMain.setInterval(kPollMs);
    connect(&m_timMain, &QTimer::timeout, this, &TfrmMain::timMainTimer);

    m_model.SelectTab(kTabReceive, nullptr);
    FillSetupList();
    ArrangeTabs();
    if (Current() != nullptr) {
        UpdateConnectionText();
        EnsureFolders();
    }
    ShowSetupHint();
    RefreshBackupStatus();
    EnableButtons(true);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

QWidget* TfrmMain::BuildPanel(int tab, QWidget* parent) {
    static const char* const kNames[kTabCount] = {"pnlRcv", "pnlSnd", "pnlEdit1"};
    static const char* const kButtonNames[kTabCount][MainWindowModel::kPlaces] = {
        {"btn_RcvDescription", "btn_RcvCrosspoint", "btn_RcvPrimary", "btn_RcvSecondary", nullptr, nullptr},
        {"btn_SndDescription", "btn_SndCrosspoint", "btn_SndPrimary", "btn_SndSecondary",
         "btn_SndDesToSecondary", "btn_SndAliasToSecondary"},
        {"btn_EditAliasToSecondary", "btn_EditCrosspoint", nullptr, nullptr, nullptr, nullptr},
    };
    auto* panel = new QFrame(parent);
    panel->setObjectName(QString::fromLatin1(kNames[tab]));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setGeometry(kMargin, kTabTop + kTabHeight - 1, kClientWidth - 2 * kMargin, kPanelHeight);
    Fill(panel, TPanelButton::kFace);

    auto* caption = new QLabel(MainWindowModel::PanelCaption(tab), panel);
    QFont bold = caption->font();
    bold.setBold(true);
    caption->setFont(bold);
    caption->setGeometry(12, 8, panel->width() - 24, 20);

    auto* inner = new QFrame(panel);
    inner->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    inner->setGeometry(10, 34, panel->width() - 20, panel->height() - 44);
    Fill(inner, kBackground);

    if (tab == kTabSend) {
        m_chkVerify = new QCheckBox(QStringLiteral("Verify after sending"), panel);
        m_chkVerify->setObjectName(QStringLiteral("chkVerify"));
        m_chkVerify->setToolTip(
            QStringLiteral("After a successful send, receive the same files into a temporary "
                           "folder and compare them byte for byte with what was sent."));
        m_chkVerify->setGeometry(panel->width() - 172, 7, 162, 22);
        // The operator's choice is kept for the next start.
        m_chkVerify->setChecked(UserSettings()->value(kVerifyKey, false).toBool());
        connect(m_chkVerify, &QCheckBox::toggled, this,
                [](bool on) { UserSettings()->setValue(kVerifyKey, on); });
    }

    // Places 0..2 down the left column, 3..5 down the right one.
    for (int place = 0; place < MainWindowModel::kPlaces; ++place) {
        if (!MainWindowModel::HasButton(tab, place))
            continue;
        auto* b = new TPanelButton(MainWindowModel::ButtonCaption(tab, place), inner);
        b->setObjectName(QString::fromLatin1(kButtonNames[tab][place]));
        b->setToolTip(ButtonToolTip(tab, place));
        const int column = place / 3;
        const int row = place % 3;
        b->setGeometry(kButtonGap + 2 + column * (kButtonWidth + kButtonGap),
                       kButtonGap + 2 + row * (kButtonHeight + kButtonGap), kButtonWidth, kButtonHeight);
        connect(b, &QAbstractButton::clicked, this, [this, tab, place] {
            if (tab == kTabReceive)
                btn_RcvClick(place);
            else if (tab == kTabSend)
                btn_SndClick(place);
            else
                btn_EditClick(place);
        });
        m_buttons[tab][place] = b;
    }
    panel->hide();
    return panel;
}

void TfrmMain::BuildMenus() {
    m_mnuSetup = menuBar()->addMenu(QStringLiteral("Setup(&S)"));
    m_mnuSetup->setObjectName(QStringLiteral("mnuSetup"));
    m_mnuSetup->addAction(QStringLiteral("&Setup..."), this, &TfrmMain::mnu_Setup_SetupClick);
    m_mnuSetup->addAction(QStringLiteral("&History..."), this, &TfrmMain::mnu_Setup_HistoryClick);
    m_mnuSetup->addAction(QStringLiteral("Search &Devices..."), this, &TfrmMain::mnu_Setup_SearchClick);
    m_mnuSetup->addAction(QStringLiteral("&Exit"), this, &TfrmMain::close);
    m_mnuHelp = menuBar()->addMenu(QStringLiteral("Help(&H)"));
    m_mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    m_mnuHelp->addAction(QStringLiteral("&Help..."), this, &TfrmMain::mnu_Help_HelpClick);
    m_mnuHelp->addAction(QStringLiteral("&About..."), this, &TfrmMain::AboutClick);
}

void TfrmMain::mnu_Setup_SearchClick() {
    if (m_searchDevices)
        m_searchDevices(this);
}

TPanelButton* TfrmMain::Button(int tab, int place) const {
    if (tab < 0 || tab >= kTabCount || place < 0 || place >= MainWindowModel::kPlaces)
        return nullptr;
    return m_buttons[tab][place];
}

QWidget* TfrmMain::Panel(int tab) const {
    return tab >= 0 && tab < kTabCount ? m_panels[tab] : nullptr;
}

QString TfrmMain::StatusLine1() const {
    return m_stbMsg->text();
}

QString TfrmMain::StatusLine2() const {
    return m_stbComm0->text();
}

QString TfrmMain::ConnectionText() const {
    return m_stbComm1->text();
}

const SetupRecord* TfrmMain::Current() const {
    return m_table.Current();
}

void TfrmMain::FillSetupList() {
    SetupTable& setups = m_table.Setups();
    const QSignalBlocker block(m_cmbList);
    m_cmbList->clear();
    for (int i = 0; i < setups.count; ++i)
        m_cmbList->addItem(setups.records[i].name);
    if (setups.count > 0 && setups.Selected() == nullptr)
        m_table.Select(0);
    m_cmbList->setCurrentIndex(setups.selected);
    RefreshSetupMarks();
}

void TfrmMain::ArrangeTabs() {
    setUpdatesEnabled(false);
    m_model.Arrange(Current());
    {
        const QSignalBlocker block(m_pageQdv70);
        for (int tab = 0; tab < kTabCount; ++tab) {
            m_pageQdv70->setTabVisible(tab, m_model.TabShown(tab));
            for (int place = 0; place < MainWindowModel::kPlaces; ++place) {
                if (TPanelButton* b = m_buttons[tab][place])
                    b->setVisible(m_model.PlaceVisible(tab, place));
            }
        }
        if (m_model.CurrentTab() != kTabNone)
            m_pageQdv70->setCurrentIndex(m_model.CurrentTab());
    }
    m_pageQdv70->setVisible(m_model.CurrentTab() != kTabNone);
    for (int tab = 0; tab < kTabCount; ++tab)
        m_panels[tab]->setVisible(tab == m_model.CurrentTab());
    setUpdatesEnabled(true);
}

void TfrmMain::EnableButtons(bool enabled) {
    m_model.SetButtonsEnabled(enabled, Current());
    for (int tab = 0; tab < kTabCount; ++tab) {
        for (int place = 0; place < MainWindowModel::kPlaces; ++place) {
            TPanelButton* b = m_buttons[tab][place];
            if (b == nullptr)
                continue;
            b->setEnabled(m_model.PlaceEnabled(tab, place));
            if (enabled)
                b->SetLowered(false);
        }
    }
    m_btnExit->setEnabled(m_model.ExitEnabled());
    m_mnuSetup->menuAction()->setEnabled(m_model.ExitEnabled());
    m_mnuHelp->menuAction()->setEnabled(m_model.ExitEnabled());
    m_cmbList->setEnabled(m_model.ExitEnabled());
    m_btnCancel->setEnabled(m_model.CancelEnabled());
}

void TfrmMain::UpdateConnectionText() {
    const SetupRecord* s = Current();
    m_stbComm1->setText(s != nullptr ? s->ConnectionText() : QString());
}

void TfrmMain::EnsureFolders() {
    // A folder that cannot be made shows itself when a job or an editor uses it.
    if (const SetupRecord* s = Current())
        m_remote.EnsureSetupFolders(*s);
}

void TfrmMain::pageQdv70Change(int index) {
    m_model.SelectTab(index, Current());
    ArrangeTabs();
    if (!Polling())
        EnableButtons(true);
}

void TfrmMain::cmbListChange(int index) {
    m_table.Select(index);
    m_model.SelectTab(kTabReceive, Current());
    SetupChanged();
    m_table.Save();
}

void TfrmMain::ShowSetupHint() {
    m_stbMsg->setText(Current() == nullptr ? CatalogueText(msg::kNoSetups) : QString());
}

void TfrmMain::SetupChanged() {
    ArrangeTabs();
    // The file and data lines were the previous setup's; a running job keeps writing its own.
    if (!Polling()) {
        ShowSetupHint();
        m_stbComm0->clear();
    }
    UpdateConnectionText();
    EnsureFolders();
    RefreshBackupStatus();
    // The file rules are the new setup's.
    if (!Polling())
        EnableButtons(true);
}

void TfrmMain::Press(TPanelButton* button) {
    button->SetLowered(true);
    button->repaint();
}

void TfrmMain::StartJobButton(Direction direction, int place) {
    const int tab = direction == Direction::Receive ? kTabReceive : kTabSend;
    TPanelButton* button = Button(tab, place);
    Press(button);
    const SetupRecord* setup = Current();
    const int kindOfPlace = MainWindowModel::JobKindOfPlace(place);
    if (kindOfPlace < 0 || setup == nullptr ||
        (kindOfPlace == kJobPrimary && setup->primaryBackupFiles == 0)) {
        button->SetLowered(false);
        return;
    }
    const auto kind = static_cast<JobKind>(kindOfPlace);
    m_cancelled = false;
    m_status.Clear();
    if (direction == Direction::Send) {
        const JobReport unsendable = JobReport::CheckSendFile(m_remote, *setup, kind);
        if (!unsendable.Success()) {
            ShowMessageText(this, unsendable.ListText(), DialogType::Warning, kButtonOk);
            button->SetLowered(false);
            return;
        }
    }
    if (!m_startJob || !m_startJob(direction, kind)) {
        button->SetLowered(false);
        return;
    }
    m_jobDirection = direction;
    m_jobKind = kind;
    EnableButtons(false);
    m_phase = 1;
    m_timMain.start();
}

void TfrmMain::btn_RcvClick(int place) {
    if (place <= MainWindowModel::kPlacePrimary) {
        StartJobButton(Direction::Receive, place);
        return;
    }
    OpenStationDialog(Direction::Receive, place);
}

void TfrmMain::btn_SndClick(int place) {
    if (place <= MainWindowModel::kPlacePrimary) {
        StartJobButton(Direction::Send, place);
        return;
    }
    OpenStationDialog(Direction::Send, place);
}

void TfrmMain::OpenStationDialog(Direction direction, int place) {
    TPanelButton* button = Button(direction == Direction::Receive ? kTabReceive : kTabSend, place);
    Press(button);
    const SetupRecord* setup = Current();
    if (setup != nullptr && m_openStationDialog && !m_status.busy) {
        m_openStationDialog(direction, place, *setup);
        RefreshSetupMarks();
    }
    button->SetLowered(false);
}

void TfrmMain::btn_EditClick(int place) {
    TPanelButton* button = Button(kTabEdit, place);
    Press(button);
    const SetupRecord* setup = Current();
    if (setup != nullptr && m_openEditor &&
        (place == MainWindowModel::kPlaceDescription || place == MainWindowModel::kPlaceCrosspoint)) {
        m_openEditor(place == MainWindowModel::kPlaceCrosspoint ? EditorKind::Crosspoint
                                                                : EditorKind::DescriptionAndAlias,
                     *setup, EditorFont());
        RefreshSetupMarks();
    }
    button->SetLowered(false);
}

const SetupFont* TfrmMain::EditorFont() const {
    const SetupTable& setups = m_table.Setups();
    return setups.Selected() ? &setups.fonts[setups.selected] : nullptr;
}

void TfrmMain::btnCancelClick() {
    if (m_status.busy) {
        m_status.abortRequest = true;
        m_cancelled = true;
        Press(m_btnCancel);
        return;
    }
    m_btnCancel->SetLowered(false);
}

void TfrmMain::btnExitClick() {
    if (!close())
        m_btnExit->SetLowered(false);
}

void TfrmMain::mnu_Setup_SetupClick() {
    if (!m_openSetups)
        return;
    m_openSetups();
    // Whatever the dialog changed is shown: the setup box, the tabs and the link of the selected setup.
    FillSetupList();
    SetupChanged();
}

void TfrmMain::mnu_Setup_HistoryClick() {
    const SetupRecord* setup = Current();
    if (setup == nullptr || !m_openHistory)
        return;
    m_openHistory(*setup);
    // A restore changes the folder.
    RefreshSetupMarks();
}

void TfrmMain::mnu_Help_HelpClick() {
    const HelpLocation help = FindHelp(m_manualFolders, m_table.Files().HomeFolder(), LanguageOffset() == 0);
    if (!help.file.isEmpty()) {
        // Found, but the desktop has nothing to show it with: say so, not that it is missing.
        if (!QDesktopServices::openUrl(QUrl::fromLocalFile(help.file)))
            ShowMessageText(this, CatalogueText(msg::kHelpNotOpened) + QLatin1Char('\n') + help.file,
                            DialogType::Error, kButtonOk);
        return;
    }
    ShowMessageText(this,
                    QStringLiteral("%1\n\n%2\n%3")
                        .arg(CatalogueText(msg::kNoHelpFile), CatalogueText(msg::kLookedIn),
                             help.looked.join(QLatin1Char('\n'))),
                    DialogType::Error, kButtonOk);
}

void TfrmMain::AboutClick() {
    TAboutDlg about(this);
    about.exec();
}

bool TfrmMain::FormKeyDown(int key, Qt::KeyboardModifiers modifiers) {
    const MainWindowModel::KeyAction action = m_model.ActionOfKey(key, modifiers);
    TPanelButton* button = nullptr;
    switch (action.target) {
    case MainWindowModel::KeyTarget::None:
        return false;
    case MainWindowModel::KeyTarget::Place:
        button = Button(m_model.CurrentTab(), action.place);
        break;
    case MainWindowModel::KeyTarget::Cancel:
        button = m_btnCancel;
        break;
    case MainWindowModel::KeyTarget::Exit:
        button = m_btnExit;
        break;
    }
    if (button == nullptr || !button->isVisible() || !button->isEnabled())
        return false;
    Press(button);
    button->click();
    return true;
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (FormKeyDown(key->key(), key->modifiers()))
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfrmMain::timMainTimer() {
    m_timMain.stop();
    if (m_phase == 1)
        m_phase = 2;
    if (m_status.gaugeChanged.exchange(false)) {
        const bool shown = m_status.gaugeShown;
        if (shown) {
            const std::uint32_t total = m_status.progressTotal;
            m_gauge->setRange(0, static_cast<int>(std::min<std::uint32_t>(total, INT_MAX)));
            m_gauge->setValue(0);
        }
        m_pnlGauge->setVisible(shown);
    }
    if (m_status.progressChanged.exchange(false))
        m_gauge->setValue(
            static_cast<int>(std::min<std::uint32_t>(m_status.progressPosition, m_gauge->maximum())));
    QString text;
    if (m_status.TakeLine2(&text))
        m_stbComm0->setText(text);
    if (m_status.TakeLine1(&text))
        m_stbMsg->setText(text);
    if (m_status.busy) {
        m_timMain.start();
        return;
    }
    ReportFinishedJob();
}

void TfrmMain::ReportFinishedJob() {
    const SetupRecord* setup = m_readBackDir ? &m_readBackSetup : Current();
    const JobReport report = JobReport::FromStatus(m_status, setup ? *setup : SetupRecord(), m_cancelled);
    if (m_cancelled) {
        m_cancelled = false;
        m_btnCancel->SetLowered(false);
    }
    if (m_readBackDir) {
        ReportReadBack(report);
        m_phase = 0;
        EnableButtons(true);
        return;
    }
    // The list of files not moved comes first: after Cancel it names the one file of a Description or
    // Crosspoint job, which an error box of the same job then follows.
    if (!report.missing.isEmpty())
        ShowMessageText(this, report.ListText(), DialogType::Warning, kButtonOk);
    if (report.errorCode != 0)
        ShowMessageText(this, report.ErrorText(), DialogType::Warning, kButtonOk);
    // A job that gave up waiting for its backup folder says who held it.
    if (!report.errorText.isEmpty())
        ShowMessageText(this, report.errorText, DialogType::Warning, kButtonOk);
    const SetupRecord jobSetup = setup ? *setup : SetupRecord();
    const bool verify =
        m_jobDirection == Direction::Send && report.Success() && setup != nullptr && m_chkVerify->isChecked();
    if (m_jobDirection != Direction::Receive || jobSetup.backupDataPath.isEmpty()) {
        FinishAfterSnapshot({}, jobSetup, verify);
        return;
    }
    // The job's record and the history never fail a job. They are written on a thread of their own,
    // because the record may wait for the backup folder's lock and a push to a remote may wait long on
    // the network, and the window must stay alive meanwhile; the buttons come back when they are done.
    const QString what = JobSnapshot::JobName(Direction::Receive, m_jobKind);
    const QStringList failed = JobSnapshot::FailedFiles(m_status, jobSetup, report);
    const JobKind kind = m_jobKind;
    const bool ok = report.Success();
    const QString error = report.errorCode != 0 ? CatalogueText(report.errorCode) : report.listTitle;
    auto result = std::make_shared<history::SnapshotResult>();
    m_phase = 3;
    m_snapshot = QThread::create([result, jobSetup, what, failed, kind, ok, error] {
        const QString notRecorded = JobSnapshot::RecordResult(jobSetup, kind, QDateTime(), ok, error, failed);
        *result = history::BackupHistory::Snapshot(jobSetup.backupDataPath, jobSetup.name, what, failed);
        // A record that could not be written is said in the status bar, before the history's notice.
        if (!notRecorded.isEmpty())
            result->notice = result->notice.isEmpty() ? notRecorded : notRecorded + "; " + result->notice;
    });
    connect(m_snapshot, &QThread::finished, this, [this, result, jobSetup, verify] {
        m_snapshot->wait();
        delete m_snapshot;
        m_snapshot = nullptr;
        FinishAfterSnapshot(*result, jobSetup, verify);
    });
    m_snapshot->start();
}

void TfrmMain::FinishAfterSnapshot(const history::SnapshotResult& snapshot, const SetupRecord& setup,
                                   bool verify) {
    // What the history has to say goes to the status bar.
    if (!snapshot.notice.isEmpty() || !snapshot.pushError.isEmpty())
        m_stbMsg->setText(snapshot.notice.isEmpty() ? snapshot.pushError : snapshot.notice);
    if (m_jobDirection == Direction::Receive)
        RefreshBackupStatus();
    RefreshSetupMarks();
    // A successful send is read back before the buttons come back.
    if (verify && StartReadBack(setup, m_jobKind))
        return;
    m_phase = 0;
    EnableButtons(true);
}

bool TfrmMain::StartReadBack(const SetupRecord& setup, JobKind kind) {
    auto folder = std::make_unique<QTemporaryDir>();
    const QString why = !m_startReadBack     ? QStringLiteral("no read-back is available")
                        : !folder->isValid() ? folder->errorString()
                                             : QString();
    if (why.isEmpty()) {
        m_readBackSetup = SendVerification::ReadBackSetup(setup, folder->path());
        m_readBackDir = std::move(folder);
        m_status.Clear();
        if (m_startReadBack(kind, m_readBackSetup)) {
            m_stbMsg->setText(QStringLiteral("Verifying: reading the sent files back..."));
            m_phase = 1;
            m_timMain.start();
            return true;
        }
        m_readBackDir.reset();
    }
    ShowMessageText(this,
                    QStringLiteral("The send is not verified: the read-back could not start (%1).")
                        .arg(why.isEmpty() ? QStringLiteral("the job was refused") : why),
                    DialogType::Warning, kButtonOk);
    return false;
}

void TfrmMain::ReportReadBack(const JobReport& report) {
    const std::unique_ptr<QTemporaryDir> folder = std::move(m_readBackDir);
    const SetupRecord* setup = Current();
    if (!report.Success() || setup == nullptr) {
        const QString why = !report.errorText.isEmpty() ? report.errorText
                            : report.errorCode != 0     ? report.ErrorText()
                                                        : report.ListText();
        m_stbMsg->setText(QStringLiteral("The send is not verified."));
        ShowMessageText(this, QStringLiteral("The send is not verified: the read-back failed.\n%1").arg(why),
                        DialogType::Warning, kButtonOk);
        return;
    }
    const std::vector<SendVerification::FileCheck> checks =
        SendVerification::Compare(m_remote, *setup, m_jobKind, folder->path());
    const int differing = SendVerification::Differing(checks);
    if (differing == 0) {
        m_stbMsg->setText(
            QStringLiteral("Verified: %1 %2 the device.")
                .arg(checks.size())
                .arg(checks.size() == 1 ? QStringLiteral("file matches") : QStringLiteral("files match")));
        return;
    }
    QStringList lines;
    for (const SendVerification::FileCheck& c : checks) {
        if (!c.Ok())
            lines << c.Text();
    }
    m_stbMsg->setText(QStringLiteral("Verification failed."));
    const QString head = differing == 1 ? CatalogueText(msg::kOneFileDiffers)
                                        : CatalogueText(msg::kFilesDiffer).arg(differing);
    ShowMessageText(this, head + QLatin1Char('\n') + lines.join(QLatin1Char('\n')), DialogType::Warning,
                    kButtonOk);
}

void TfrmMain::RefreshBackupStatus() {
    const SetupRecord* setup = Current();
    // A setup that takes no Primary files has no Primary backup to age.
    if (setup == nullptr || setup->primaryBackupFiles == 0) {
        m_stbBackup->clear();
        m_stbBackup->setToolTip(QString());
        Fill(m_stbBackup, TPanelButton::kFace);
        return;
    }
    const MainWindowModel::BackupStatus s = MainWindowModel::DescribeBackup(
        MainWindowModel::LastPrimaryBackup(*setup), QDateTime::currentDateTime(), m_warnDays);
    m_stbBackup->setText(s.text);
    m_stbBackup->setToolTip(s.toolTip);
    Fill(m_stbBackup, s.warn ? kWarning : TPanelButton::kFace);
}

void TfrmMain::RefreshSetupMarks() {
    if (m_marker != nullptr) {
        m_marksOwed = true;
        return;
    }
    const SetupTable& setups = m_table.Setups();
    QList<SetupRecord> records;
    QStringList names;
    for (int i = 0; i < setups.count; ++i) {
        records << setups.records[i];
        names << setups.records[i].name;
    }
    const QDateTime now = QDateTime::currentDateTime();
    const int warnDays = m_warnDays;
    const bool remote = !history::BackupHistory::Options().remote.isEmpty();
    auto marks = std::make_shared<QList<MainWindowModel::SetupMark>>();
    m_marker = QThread::create([records, now, warnDays, remote, marks] {
        for (const SetupRecord& setup : records)
            *marks << MainWindowModel::MarkOfHealth(SetupHealth::Assess(setup, now, warnDays, remote));
    });
    connect(m_marker, &QThread::finished, this, [this, names, marks] {
        m_marker->wait();
        delete m_marker;
        m_marker = nullptr;
        ShowSetupMarks(names, *marks);
        if (m_marksOwed) {
            m_marksOwed = false;
            RefreshSetupMarks();
        }
    });
    m_marker->start();
}

void TfrmMain::ShowSetupMarks(const QStringList& names, const QList<MainWindowModel::SetupMark>& marks) {
    // A setup list changed meanwhile is marked by the refresh it asked for; until then only the setups
    // still in their places are.
    for (int i = 0; i < marks.size() && i < m_cmbList->count(); ++i) {
        if (m_cmbList->itemText(i) != names[i])
            continue;
        const MainWindowModel::SetupMark& m = marks[i];
        m_cmbList->setItemIcon(i, m.icon == MainWindowModel::MarkIcon::None
                                      ? QIcon()
                                      : style()->standardIcon(m.icon == MainWindowModel::MarkIcon::Critical
                                                                  ? QStyle::SP_MessageBoxCritical
                                                                  : QStyle::SP_MessageBoxWarning));
        m_cmbList->setItemData(i, m.toolTip.isEmpty() ? QVariant() : QVariant(m.toolTip), Qt::ToolTipRole);
    }
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    // While a job runs, closing is greyed out like Exit: the job must end or be cancelled first.
    if (!m_model.ExitEnabled()) {
        event->ignore();
        return;
    }
    if (ShowMessage(this, msg::kAskQuit, DialogType::Information, kButtonOk | kButtonCancel) != kButtonOk) {
        event->ignore();
        m_btnExit->SetLowered(false);
        return;
    }
    m_pnlGauge->hide();
    event->accept();
}

void TfrmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (m_centred || screen() == nullptr)
        return;
    m_centred = true;
    QRect frame = frameGeometry();
    frame.moveCenter(screen()->availableGeometry().center());
    move(frame.topLeft());
}

} // namespace qdv
