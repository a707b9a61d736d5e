#pragma once

#include "history/DeferredSnapshot.h"
#include "services/ConfigOperations.h"
#include "services/ImageStore.h"
#include "services/ServiceBindings.h"
#include "services/ServiceLog.h"
#include "services/SoapServer.h"
#include "store/ServiceSettings.h"

#include <QEventLoop>

#include <memory>
#include <thread>

namespace qdv {

class TmFile;

// The two hosted SOAP services: "deviceinfo" tells a client what device this program answers as, and
// "primarystation" reads and changes the configuration data of the selected setup's backup folder. The
// selected setup is read from QDV70LIST.INI whenever a client (re)loads the images, so a setup chosen in
// the main window applies from the next GetInfo or GetProductInfo. Changes are recorded in the backup
// history about a second after a client's first write, one snapshot for the writes of that second.
class HostedServices {
public:
    HostedServices(const TmFile& files, ServiceSettings settings);
    ~HostedServices();

    HostedServices(const HostedServices&) = delete;
    HostedServices& operator=(const HostedServices&) = delete;

    // Starts both services and returns at once. A service that cannot listen is logged ("bind err") and
    // left out; the other runs. Answers how many run.
    int Start();
    // Returns when both services have stopped.
    void Stop();

    // The bound ports, 0 for a service that does not run.
    int DeviceInfoPort() const;
    int PrimaryStationPort() const;

    ImageStore& Images() { return m_images; }
    ServiceLog& Log() { return m_log; }

private:
    QString SelectedBackupFolder();
    void RecordInHistory(const QString& folder);
    void ReportSnapshot(const history::SnapshotResult& result);

    const TmFile& m_files;
    ServiceSettings m_settings;
    ServiceLog m_log;
    std::mutex m_setupMutex;
    QString m_setupName; // of the selected setup at the last load, named in history snapshots
    // The write-backs' snapshots are taken on a thread of their own, in its event loop: a push to the
    // history's remote may wait long on the network, and the services live on the window's thread in the
    // desktop program. A joined std::thread, so that the git library's state for the thread is gone when
    // the services are.
    std::thread m_historyThread;
    QEventLoop* m_historyLoop = nullptr;            // lives on m_historyThread
    history::DeferredSnapshot* m_history = nullptr; // lives on m_historyThread
    ImageStore m_images;
    ConfigOperations m_operations;
    ServiceContext m_context;
    std::unique_ptr<SoapServer> m_deviceInfo;
    std::unique_ptr<SoapServer> m_primaryStation;
};

} // namespace qdv
