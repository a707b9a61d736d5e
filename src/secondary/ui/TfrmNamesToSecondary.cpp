#include "secondary/ui/TfrmNamesToSecondary.h"

#include "link/TransferJobs.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QHeaderView>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableWidget>

#include <algorithm>

namespace qdv {

namespace {

const QColor kOtherColumns(1, 1, 1);

} // namespace

TfrmNamesToSecondary::TfrmNamesToSecondary(StationDialogServices services, JobKind kind, QWidget* parent)
    : TStationDialog(kind == kJobDescriptionToSecondary ? QStringLiteral("Send Description to Secondary")
                                                        : QStringLiteral("Send Alias to Secondary"),
                     kind == kJobDescriptionToSecondary ? QStringLiteral("Start Sending Description(&S)")
                                                        : QStringLiteral("Start Sending Alias(&S)"),
                     parent),
      m_model(std::move(services), kind) {
    m_chkBroadcast = new QCheckBox(QStringLiteral("Broadcast"), this);
    TopRow()->addWidget(m_chkBroadcast);

    constexpr int rows = NamesToSecondaryModel::kRows;
    m_listDevice = new QTableWidget(rows, 5, this);
    m_listDevice->setHorizontalHeaderLabels({QString(), QStringLiteral("Station ID"),
                                             QStringLiteral("Status"), QStringLiteral("Device Name"),
                                             QStringLiteral("IP")});
    m_listDevice->setColumnWidth(kColRadio, 28);
    const int columns = 28 + SetStationColumnWidths(m_listDevice, kColId);
    m_listDevice->horizontalHeader()->setStretchLastSection(true);
    m_listDevice->verticalHeader()->hide();
    const int rowHeight = m_listDevice->fontMetrics().height() + 8;
    m_listDevice->verticalHeader()->setDefaultSectionSize(rowHeight);
    m_listDevice->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_listDevice->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_listDevice->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_listDevice->setSelectionMode(QAbstractItemView::SingleSelection);
    // Exactly the 15 rows: no empty band under them whatever the dialog's height.
    m_listDevice->setFixedHeight(rows * rowHeight + m_listDevice->horizontalHeader()->sizeHint().height() +
                                 2 * m_listDevice->frameWidth());
    KeepStatusColours(m_listDevice, kColStatus);
    // The mouse wheel over the rows moves the window of 15 rows, as the scroll bar beside them does.
    m_listDevice->viewport()->installEventFilter(this);
    m_radios = new QButtonGroup(this);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < 5; ++c) {
            auto* item = new QTableWidgetItem;
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            if (c != kColStatus)
                item->setForeground(kOtherColumns);
            m_listDevice->setItem(r, c, item);
        }
        auto* radio = new QRadioButton(m_listDevice);
        radio->setObjectName(QStringLiteral("rdoID%1").arg(r + 2));
        m_rdoID[static_cast<std::size_t>(r)] = radio;
        m_radios->addButton(radio, r);
        m_listDevice->setCellWidget(r, kColRadio, radio);
    }
    m_scrList = new QScrollBar(Qt::Vertical, this);
    m_scrList->setRange(NamesToSecondaryModel::kFirstTop, NamesToSecondaryModel::kLastTop);
    m_scrList->setPageStep(rows);
    auto* row = new QHBoxLayout;
    row->addWidget(m_listDevice, 1);
    row->addWidget(m_scrList);
    Body()->addLayout(row);

    connect(m_scrList, &QScrollBar::valueChanged, this, &TfrmNamesToSecondary::scrListChange);
    connect(m_radios, &QButtonGroup::idClicked, this, &TfrmNamesToSecondary::rdoIDClick);
    connect(m_chkBroadcast, &QCheckBox::clicked, this, &TfrmNamesToSecondary::chkBroadcastClick);
    m_scrList->setValue(NamesToSecondaryModel::kFirstTop);
    Initialise(m_model);
    // Only the width follows the user: the height is that of the 15 rows.
    setFixedHeight(sizeHint().height());
    resize(std::max(width(), columns + 60), height());
    m_model.SetBroadcast(m_chkBroadcast->isChecked());
}

bool TfrmNamesToSecondary::eventFilter(QObject* watched, QEvent* event) {
    if (m_listDevice != nullptr && watched == m_listDevice->viewport() && event->type() == QEvent::Wheel) {
        QCoreApplication::sendEvent(m_scrList, event);
        return true;
    }
    return TStationDialog::eventFilter(watched, event);
}

QTableWidgetItem* TfrmNamesToSecondary::RowItem(int row, int column) const {
    return m_listDevice->item(row, column);
}

void TfrmNamesToSecondary::FillRows() {
    m_listDevice->setUpdatesEnabled(false);
    for (int r = 0; r < NamesToSecondaryModel::kRows; ++r) {
        const int id = m_model.Top() + r;
        const StationList::Entry& e = m_model.List().At(id);
        RowItem(r, kColId)->setText(QString::asprintf("%03d", id));
        RowItem(r, kColName)->setText(e.name);
        RowItem(r, kColIp)->setText(e.address);
    }
    m_listDevice->setUpdatesEnabled(true);
    RefreshStatus();
    ShowRadios();
}

void TfrmNamesToSecondary::RefreshStatus() {
    for (int r = 0; r < NamesToSecondaryModel::kRows; ++r) {
        const StatusCell cell = m_model.Cell(m_model.Top() + r);
        QTableWidgetItem* item = RowItem(r, kColStatus);
        if (item->text() != cell.text)
            item->setText(cell.text);
        item->setForeground(QColor::fromRgb(cell.rgb));
    }
}

void TfrmNamesToSecondary::ShowRadios() {
    if (m_model.Broadcast())
        return;
    m_radios->setExclusive(false);
    for (int r = 0; r < NamesToSecondaryModel::kRows; ++r)
        Radio(r)->setChecked(m_model.Top() + r == m_model.Target());
    m_radios->setExclusive(true);
}

void TfrmNamesToSecondary::scrListChange(int position) {
    if (m_model.SetTop(position))
        FillRows();
}

void TfrmNamesToSecondary::rdoIDClick(int row) {
    m_model.ChooseRow(row);
    ShowRadios();
}

void TfrmNamesToSecondary::chkBroadcastClick(bool on) {
    m_model.SetBroadcast(on);
    m_chkBroadcast->setChecked(m_model.Broadcast());
    EnableOwnControls(m_model.Idle());
    FillRows();
}

bool TfrmNamesToSecondary::StartJob() {
    return m_model.Start();
}

void TfrmNamesToSecondary::EnableOwnControls(bool idle) {
    m_chkBroadcast->setEnabled(idle);
    for (QRadioButton* r : m_rdoID)
        r->setEnabled(idle && !m_model.Broadcast());
}

} // namespace qdv
