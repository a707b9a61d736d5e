#include "secondary/ui/TfrmSecondaryData.h"

#include "widgets/MessageBox.h"

#include <QBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QSignalBlocker>
#include <QTableWidget>

#include <algorithm>

namespace qdv {

namespace {

const QColor kOtherColumns(1, 1, 1);

int RowOf(int id) {
    return id - StationList::kFirst;
}

} // namespace

TfrmSecondaryData::TfrmSecondaryData(StationDialogServices services, Direction direction, QWidget* parent)
    : TStationDialog(direction == Direction::Send ? QStringLiteral("Send Secondary Data")
                                                  : QStringLiteral("Receive Secondary Data"),
                     direction == Direction::Send ? QStringLiteral("Start Sending Data(&S)")
                                                  : QStringLiteral("Start Receiving Data(&S)"),
                     parent),
      m_model(std::move(services), direction) {
    auto* bar = new QMenuBar(this);
    m_mnuCheck = bar->addMenu(QStringLiteral("Check Box(&C)"));
    m_mnuCheck->addAction(QStringLiteral("Check &All"), this, &TfrmSecondaryData::mnuChk_AllClick);
    m_mnuCheck->addAction(QStringLiteral("Check &Clear"), this, &TfrmSecondaryData::mnuChk_ClearClick);
    m_mnuCheck->addAction(QStringLiteral("Check &Device"), this, &TfrmSecondaryData::mnuChk_DeviceClick);
    layout()->setMenuBar(bar);

    m_pnlCnt = new QLabel(QStringLiteral("0"), this);
    m_pnlCnt->setFrameShape(QFrame::Panel);
    m_pnlCnt->setFrameShadow(QFrame::Sunken);
    m_pnlCnt->setAlignment(Qt::AlignCenter);
    m_pnlCnt->setMinimumWidth(48);
    TopRow()->addWidget(m_pnlCnt);

    const int rows = StationList::kLast - StationList::kFirst + 1;
    m_listDevice = new QTableWidget(rows, 4, this);
    m_listDevice->setHorizontalHeaderLabels({QStringLiteral("Station ID"), QStringLiteral("Status"),
                                             QStringLiteral("Device Name"), QStringLiteral("IP")});
    const int columns = SetStationColumnWidths(m_listDevice, kColId);
    m_listDevice->horizontalHeader()->setStretchLastSection(true);
    m_listDevice->verticalHeader()->hide();
    m_listDevice->verticalHeader()->setDefaultSectionSize(m_listDevice->fontMetrics().height() + 6);
    m_listDevice->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_listDevice->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_listDevice->setSelectionMode(QAbstractItemView::SingleSelection);
    m_listDevice->setShowGrid(true);
    m_listDevice->setMinimumSize(400, 320);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < 4; ++c) {
            auto* item = new QTableWidgetItem;
            item->setFlags(c == kColId ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable
                                       : Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            if (c != kColStatus)
                item->setForeground(kOtherColumns);
            m_listDevice->setItem(r, c, item);
        }
    }
    KeepStatusColours(m_listDevice, kColStatus);
    Body()->addWidget(m_listDevice);
    connect(m_listDevice, &QTableWidget::itemChanged, this, &TfrmSecondaryData::listDeviceItemChanged);
    resize(columns + 50, 560);
    Initialise(m_model);
}

QTableWidgetItem* TfrmSecondaryData::RowItem(int id, int column) const {
    return m_listDevice->item(RowOf(id), column);
}

void TfrmSecondaryData::ClickCheckBox(int id) {
    QTableWidgetItem* item = RowItem(id, kColId);
    item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

void TfrmSecondaryData::FillRows() {
    const QSignalBlocker block(m_listDevice);
    m_listDevice->setUpdatesEnabled(false);
    for (int id = StationList::kFirst; id <= StationList::kLast; ++id) {
        const StationList::Entry& e = m_model.List().At(id);
        RowItem(id, kColId)->setText(QString::asprintf("%03d", id));
        RowItem(id, kColId)->setCheckState(e.checked ? Qt::Checked : Qt::Unchecked);
        RowItem(id, kColName)->setText(e.name);
        RowItem(id, kColIp)->setText(e.address);
    }
    m_listDevice->setUpdatesEnabled(true);
    RefreshStatus();
    ShowCount();
}

void TfrmSecondaryData::RefreshStatus() {
    m_listDevice->setUpdatesEnabled(false);
    for (int id = StationList::kFirst; id <= StationList::kLast; ++id) {
        const StatusCell cell = m_model.Cell(id);
        QTableWidgetItem* item = RowItem(id, kColStatus);
        if (item->text() != cell.text)
            item->setText(cell.text);
        item->setForeground(QColor::fromRgb(cell.rgb));
    }
    m_listDevice->setUpdatesEnabled(true);
}

void TfrmSecondaryData::SelectStation(int id) {
    if (id < StationList::kFirst || id > StationList::kLast)
        return;
    m_listDevice->selectRow(RowOf(id));
    m_listDevice->scrollToItem(RowItem(id, kColId));
    m_listDevice->setFocus();
}

void TfrmSecondaryData::ShowChecks() {
    const QSignalBlocker block(m_listDevice);
    for (int id = StationList::kFirst; id <= StationList::kLast; ++id)
        RowItem(id, kColId)->setCheckState(m_model.List().At(id).checked ? Qt::Checked : Qt::Unchecked);
    ShowCount();
}

void TfrmSecondaryData::ShowCount() {
    m_pnlCnt->setText(QString::number(m_model.CheckedCount()));
    RefreshStart();
}

void TfrmSecondaryData::listDeviceItemChanged(QTableWidgetItem* item) {
    if (item->column() != kColId)
        return;
    const int id = item->row() + StationList::kFirst;
    const bool shown = m_model.SetChecked(id, item->checkState() == Qt::Checked);
    if (shown != (item->checkState() == Qt::Checked)) {
        const QSignalBlocker block(m_listDevice);
        item->setCheckState(shown ? Qt::Checked : Qt::Unchecked);
    }
    ShowCount();
}

void TfrmSecondaryData::mnuChk_AllClick() {
    if (const int code = m_model.CheckAll())
        ShowMessage(this, code, DialogType::Warning, kButtonOk);
    ShowChecks();
}

void TfrmSecondaryData::mnuChk_DeviceClick() {
    if (const int code = m_model.CheckDevice())
        ShowMessage(this, code, DialogType::Warning, kButtonOk);
    ShowChecks();
}

void TfrmSecondaryData::mnuChk_ClearClick() {
    m_model.CheckClear();
    ShowChecks();
}

bool TfrmSecondaryData::StartJob() {
    if (!m_model.StartRun())
        return false;
    m_listDevice->viewport()->update();
    return true;
}

void TfrmSecondaryData::EnableOwnControls(bool idle) {
    m_mnuCheck->setEnabled(idle);
    // A greyed menu offers no Alt key: while a job runs, Alt+C is Cancel's.
    m_mnuCheck->setTitle(idle ? QStringLiteral("Check Box(&C)") : QStringLiteral("Check Box(C)"));
}

void TfrmSecondaryData::RunEnded() {
    if (m_model.Send())
        return;
    // The history never fails a run; what it has to say is shown, the Status column stays the report.
    const history::SnapshotResult snapshot = m_model.SnapshotReceived();
    const QString text = snapshot.notice.isEmpty() ? snapshot.pushError : snapshot.notice;
    if (!text.isEmpty())
        ShowMessageText(this, text, DialogType::Information, kButtonOk);
}

} // namespace qdv
