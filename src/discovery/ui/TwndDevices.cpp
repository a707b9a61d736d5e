#include "discovery/ui/TwndDevices.h"

#include "discovery/NetworkDeviceTable.h"
#include "discovery/ui/TwndSearch.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace qdv {

namespace {

struct Column {
    const char* title;
    std::optional<DeviceField> field; // none: the MAC
};

const Column kColumns[] = {
    {"MAC", std::nullopt},
    {"ID", DeviceField::ZebuId},
    {"Model", DeviceField::Model},
    {"IP Address", DeviceField::IpAdrM},
    {"Primary IP", DeviceField::OptIp},
    {"Name", DeviceField::Name},
    {"Location", DeviceField::Loc},
};
constexpr int kColumnCount = static_cast<int>(std::size(kColumns));

} // namespace

TwndDevices::TwndDevices(const NetworkDeviceTable& devices, QWidget* parent)
    : QDialog(parent), m_devices(devices) {
    setObjectName(QStringLiteral("wndDevices"));
    setWindowTitle(QStringLiteral("Devices on the Network"));
    auto* layout = new QVBoxLayout(this);
    m_lblCount = new QLabel(this);
    m_lblCount->setObjectName(QStringLiteral("lblCount"));
    layout->addWidget(m_lblCount);
    m_grdDevices = new QTableWidget(0, kColumnCount, this);
    m_grdDevices->setObjectName(QStringLiteral("grdDevices"));
    m_grdDevices->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grdDevices->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grdDevices->verticalHeader()->hide();
    QStringList titles;
    for (const Column& c : kColumns)
        titles << QString::fromLatin1(c.title);
    m_grdDevices->setHorizontalHeaderLabels(titles);
    m_grdDevices->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(m_grdDevices);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Close"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(760, 360);
    Refresh();
}

void TwndDevices::Refresh() {
    const NetworkDeviceTable::Snapshot s = m_devices.Copy();
    m_grdDevices->setRowCount(static_cast<int>(s.devices.size()));
    for (int row = 0; row < static_cast<int>(s.devices.size()); ++row) {
        const NetworkDevice& d = s.devices[static_cast<std::size_t>(row)];
        for (int col = 0; col < kColumnCount; ++col) {
            const Column& c = kColumns[col];
            m_grdDevices->setItem(row, col, new QTableWidgetItem(c.field ? d.Text(*c.field) : d.Mac()));
        }
    }
    m_grdDevices->resizeColumnsToContents();
    QString text = s.devices.empty() ? QStringLiteral("No device answered.")
                                     : QStringLiteral("%1 device(s) found.").arg(s.devices.size());
    if (s.ignoredDevices > 0)
        text += QStringLiteral(" %1 more answered; only the first %2 are kept.")
                    .arg(s.ignoredDevices)
                    .arg(NetworkDeviceTable::kMaxDevices);
    m_lblCount->setText(text);
}

QString TwndDevices::Summary() const {
    return m_lblCount->text();
}

void TwndDevices::SearchAndShow(QWidget* parent, const NetworkDeviceTable& devices,
                                const DeviceSearch::RequestSink& requests) {
    TwndSearch search(requests, parent);
    search.exec();
    TwndDevices list(devices, parent);
    list.exec();
}

} // namespace qdv
