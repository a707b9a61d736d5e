#pragma once

#include "discovery/DeviceSearch.h"

#include <QDialog>

class QLabel;
class QTableWidget;

namespace qdv {

class NetworkDeviceTable;

// "Devices on the Network": the devices of the network device table, one row each in table order
// (MAC, station ID, model, IP address, primary controller, name, location). The Setup menu shows it
// after a search.
class TwndDevices : public QDialog {
    Q_OBJECT

public:
    TwndDevices(const NetworkDeviceTable& devices, QWidget* parent = nullptr);

    // Fills the grid from a fresh copy of the table.
    void Refresh();
    QTableWidget* Grid() const { return m_grdDevices; }
    QString Summary() const;

    // The Setup menu's "Search Devices...": the search window, then this list.
    static void SearchAndShow(QWidget* parent, const NetworkDeviceTable& devices,
                              const DeviceSearch::RequestSink& requests);

private:
    const NetworkDeviceTable& m_devices;
    QLabel* m_lblCount = nullptr;
    QTableWidget* m_grdDevices = nullptr;
};

} // namespace qdv
