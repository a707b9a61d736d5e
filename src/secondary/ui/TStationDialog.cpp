#include "secondary/ui/TStationDialog.h"

#include "link/StatusBlock.h"
#include "secondary/StationDialogModel.h"
#include "store/StationList.h"
#include "widgets/MessageBox.h"
#include "widgets/TPanelButton.h"
#include "widgets/UserSettings.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QProgressBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdint>

namespace qdv {

namespace {

const QColor kSelection(190, 205, 225);

// Draws a Status cell in its own colour also when its row is selected.
class StatusDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const QVariant colour = index.data(Qt::ForegroundRole);
        if (colour.canConvert<QBrush>())
            option->palette.setBrush(QPalette::HighlightedText, colour.value<QBrush>());
    }
};

} // namespace

TStationDialog::TStationDialog(const QString& caption, const QString& startCaption, QWidget* parent)
    : TPanelDialog(parent) {
    setWindowTitle(caption);
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    m_top = new QHBoxLayout;
    m_btnGetZMenu = AddPanelButton(QStringLiteral("Get Z Menu/IP(&G)"), QStringLiteral("btnGetZMenu"),
                                   [this] { btnGetZMenuClick(); });
    m_btnListClear = AddPanelButton(QStringLiteral("List Clear(&D)"), QStringLiteral("btnListClear"),
                                    [this] { btnListClearClick(); });
    m_top->addWidget(m_btnGetZMenu);
    m_top->addWidget(m_btnListClear);
    m_top->addStretch(1);
    layout->addLayout(m_top);
    m_body = new QVBoxLayout;
    layout->addLayout(m_body, 1);

    m_pnlGauge = new QFrame(this);
    m_pnlGauge->setFrameShape(QFrame::StyledPanel);
    auto* gaugeLayout = new QHBoxLayout(m_pnlGauge);
    gaugeLayout->setContentsMargins(2, 2, 2, 2);
    m_gauge = new QProgressBar(m_pnlGauge);
    m_gauge->setTextVisible(false);
    gaugeLayout->addWidget(m_gauge);
    // The gauge's place is kept while it is hidden: the dialog does not change its size during a run.
    QSizePolicy keep = m_pnlGauge->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    m_pnlGauge->setSizePolicy(keep);
    m_pnlGauge->hide();
    layout->addWidget(m_pnlGauge);

    auto* bottom = new QHBoxLayout;
    m_btnStart = AddPanelButton(startCaption, QStringLiteral("btnStart"), [this] { btnStartClick(); });
    m_btnCancel = AddPanelButton(QStringLiteral("Cancel(&C)"), QStringLiteral("btnCancel"),
                                 [this] { btnCancelClick(); });
    m_btnExit =
        AddPanelButton(QStringLiteral("Exit(&E)"), QStringLiteral("btnExit"), [this] { btnExitClick(); });
    bottom->addWidget(m_btnStart, 2);
    bottom->addWidget(m_btnCancel, 1);
    bottom->addWidget(m_btnExit, 1);
    layout->addLayout(bottom);

    m_timMain.setInterval(kPollMs);
    connect(&m_timMain, &QTimer::timeout, this, &TStationDialog::timMainTimer);
}

TStationDialog::~TStationDialog() = default;

void TStationDialog::Initialise(StationDialogModel& model) {
    m_model = &model;
    m_model->Show();
    FillRows();
    SetIdle(true);
    RestoreWindowSize(this, windowTitle());
}

void TStationDialog::done(int result) {
    SaveWindowSize(this, windowTitle());
    TPanelDialog::done(result);
}

int TStationDialog::SetStationColumnWidths(QTableWidget* list, int firstColumn) {
    const QFontMetrics metrics(list->font());
    const int check = list->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, list) + 8;
    const int texts[] = {metrics.horizontalAdvance(QStringLiteral("000")) + check,
                         metrics.horizontalAdvance(QStringLiteral("NG(Disable Station)")),
                         metrics.horizontalAdvance(QString(StationList::kNameLength, QLatin1Char('X'))),
                         metrics.horizontalAdvance(QStringLiteral("255.255.255.255"))};
    int sum = 0;
    for (int i = 0; i < 4; ++i) {
        const int c = firstColumn + i;
        const int width = std::max(texts[i] + 16, list->horizontalHeader()->sectionSizeHint(c));
        list->setColumnWidth(c, width);
        sum += width;
    }
    return sum;
}

void TStationDialog::KeepStatusColours(QTableWidget* list, int statusColumn) {
    list->setItemDelegateForColumn(statusColumn, new StatusDelegate(list));
    // A pale selection, on which the Status colours (orange and white included) stay readable.
    QPalette palette = list->palette();
    palette.setColor(QPalette::Highlight, kSelection);
    palette.setColor(QPalette::HighlightedText, Qt::black);
    list->setPalette(palette);
}

void TStationDialog::SetIdle(bool idle) {
    for (TPanelButton* b : {m_btnGetZMenu, m_btnListClear, m_btnExit})
        b->setEnabled(idle);
    m_btnCancel->setEnabled(!idle);
    EnableOwnControls(idle);
    if (idle)
        RefreshStart();
    else
        m_btnStart->setEnabled(false);
}

void TStationDialog::RefreshStart() {
    m_btnStart->setEnabled(m_model->Idle() && StartAllowed());
}

void TStationDialog::btnGetZMenuClick() {
    FillRows();
    if (!m_model->StartGetZMenu()) {
        FillRows();
        return;
    }
    FillRows();
    SetIdle(false);
    m_timMain.start();
}

void TStationDialog::btnListClearClick() {
    m_model->ListClear();
    FillRows();
    RefreshStart();
}

void TStationDialog::btnStartClick() {
    if (!StartJob())
        return;
    RefreshStatus();
    SetIdle(false);
    m_timMain.start();
}

void TStationDialog::btnCancelClick() {
    m_model->Cancel();
}

void TStationDialog::btnExitClick() {
    close();
}

void TStationDialog::UpdateGauge() {
    StatusBlock& st = m_model->Status();
    if (st.gaugeChanged.exchange(false)) {
        if (st.gaugeShown) {
            m_gauge->setRange(0, static_cast<int>(std::min<std::uint32_t>(st.progressTotal, INT32_MAX)));
            m_gauge->setValue(0);
            m_pnlGauge->show();
        } else {
            m_gauge->setValue(0);
            m_pnlGauge->hide();
        }
    }
    if (st.progressChanged.exchange(false) && m_pnlGauge->isVisible())
        m_gauge->setValue(static_cast<int>(std::min<std::uint32_t>(st.progressPosition, m_gauge->maximum())));
}

void TStationDialog::timMainTimer() {
    m_timMain.stop();
    const StationDialogModel::Mode before = m_model->CurrentMode();
    UpdateGauge();
    const StationDialogModel::PollResult r = m_model->Poll();
    if (r.message != 0)
        ShowMessage(this, r.message, DialogType::Warning, kButtonOk);
    if (!r.messageText.isEmpty())
        ShowMessageText(this, r.messageText, DialogType::Warning, kButtonOk);
    if (r.rowsChanged)
        before == StationDialogModel::kZMenu ? FillRows() : RefreshStatus();
    if (r.selectStation != 0)
        SelectStation(r.selectStation);
    if (r.openSearch) {
        if (m_search)
            m_search(this);
        m_model->SearchClosed();
        FillRows();
    }
    if (m_model->Idle()) {
        m_pnlGauge->hide();
        SetIdle(true);
        if (before == StationDialogModel::kRun)
            RunEnded();
        return;
    }
    m_timMain.start();
}

void TStationDialog::closeEvent(QCloseEvent* event) {
    if (m_model && !m_model->Idle()) {
        event->ignore();
        return;
    }
    if (m_model)
        m_model->SaveList();
    TPanelDialog::closeEvent(event);
}

void TStationDialog::reject() {
    // Esc closes like Exit, and not while a job runs.
    if (m_model && !m_model->Idle())
        return;
    if (m_model)
        m_model->SaveList();
    TPanelDialog::reject();
}

TPanelButton* TStationDialog::ButtonOfKey(int key, Qt::KeyboardModifiers modifiers) const {
    if (key == Qt::Key_Escape && (modifiers & ~Qt::KeypadModifier) == Qt::NoModifier && m_model &&
        !m_model->Idle())
        return m_btnCancel;
    TPanelButton* button = TPanelDialog::ButtonOfKey(key, modifiers);
    return button != nullptr && button->isEnabled() ? button : nullptr;
}

} // namespace qdv
