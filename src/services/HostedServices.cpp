#include "services/HostedServices.h"

#include "store/SetupRecord.h"
#include "store/TmFile.h"

#include <QDir>
#include <QFileInfo>
#include <QHostAddress>

#include <future>

namespace qdv {
namespace {
constexpr int kSnapshotDelayMs = 1000;
} // namespace

HostedServices::HostedServices(const TmFile& files, ServiceSettings settings)
    : m_files(files), m_settings(std::move(settings)), m_log(files.HomeFolder()),
      m_images([this](const QString& line) { m_log.Write(line); }),
      m_operations(m_images, [this] { return SelectedBackupFolder(); }) {
    m_context.operations = &m_operations;
    std::promise<void> ready;
    std::future<void> started = ready.get_future();
    m_historyThread = std::thread([this, &ready] {
        QEventLoop loop;
        history::DeferredSnapshot deferred(kSnapshotDelayMs,
                                           [this](const history::SnapshotResult& r) { ReportSnapshot(r); });
        m_historyLoop = &loop;
        m_history = &deferred;
        ready.set_value();
        loop.exec();
        // What the write-backs left pending is recorded before the thread ends.
        deferred.Finish();
    });
    started.wait();
    // Primary/ and Name/ lie directly in the backup folder.
    m_images.SetWriteHook([this](const QString& path) {
        RecordInHistory(QDir::cleanPath(QFileInfo(path).absolutePath() + "/.."));
    });
}

HostedServices::~HostedServices() {
    Stop();
    QMetaObject::invokeMethod(m_historyLoop, &QEventLoop::quit, Qt::QueuedConnection);
    m_historyThread.join();
}

QString HostedServices::SelectedBackupFolder() {
    auto table = std::make_unique<SetupTable>();
    m_files.LoadSetupList(*table, MenuFont());
    const SetupRecord* setup = table->Selected();
    const std::lock_guard lock(m_setupMutex);
    m_setupName = setup ? setup->name : QString();
    return setup ? setup->backupDataPath : QString();
}

void HostedServices::RecordInHistory(const QString& folder) {
    QString name;
    {
        const std::lock_guard lock(m_setupMutex);
        name = m_setupName;
    }
    m_history->Request(folder, name, QStringLiteral("Change by a SOAP client"));
}

void HostedServices::ReportSnapshot(const history::SnapshotResult& result) {
    if (!result.notice.isEmpty())
        m_log.Write(result.notice);
    if (!result.pushError.isEmpty())
        m_log.Write(result.pushError);
}

int HostedServices::Start() {
    Stop();
    // A write-back that a killed program left unfinished leaves its temporary file behind.
    m_images.RemoveStaleTemporaries(SelectedBackupFolder());
    auto log = [this](const QString& line) { m_log.Write(line); };
    const QString& bind = m_settings.bindAddress;
    // A mistyped address must not widen the services to every address.
    if (!bind.isEmpty() && QHostAddress(bind).protocol() != QAbstractSocket::IPv4Protocol) {
        log(QStringLiteral("bind err"));
        log(QStringLiteral("[SOAP] BIND=%1 is not an IPv4 address; no services offered").arg(bind));
        return 0;
    }
    auto make = [&](const char* name, const Namespace* table, int (*dispatch)(soap*), int port) {
        SoapServer::Config c;
        c.name = name;
        c.namespaces = table;
        c.dispatch = dispatch;
        c.user = &m_context;
        c.bindAddress = bind;
        c.port = port;
        auto server = std::make_unique<SoapServer>(c, log);
        if (port < 0 || port > 65535) {
            log(QStringLiteral("bind err"));
            log(QStringLiteral("%1: port %2 out of range").arg(QLatin1String(name)).arg(port));
            server.reset();
        } else if (!server->Start()) {
            server.reset();
        }
        return server;
    };
    // The configuration service first: GetInfo names its port.
    m_primaryStation = make("primarystation", kPrimaryStationNamespaces, DispatchPrimaryStation,
                            m_settings.primaryStationPort);
    m_context.primaryStationPort =
        m_primaryStation ? m_primaryStation->Port() : m_settings.primaryStationPort;
    m_deviceInfo = make("deviceinfo", kDeviceInfoNamespaces, DispatchDeviceInfo, m_settings.deviceInfoPort);
    return (m_deviceInfo ? 1 : 0) + (m_primaryStation ? 1 : 0);
}

void HostedServices::Stop() {
    m_deviceInfo.reset();
    m_primaryStation.reset();
}

int HostedServices::DeviceInfoPort() const {
    return m_deviceInfo ? m_deviceInfo->Port() : 0;
}

int HostedServices::PrimaryStationPort() const {
    return m_primaryStation ? m_primaryStation->Port() : 0;
}

} // namespace qdv
