#include "sim/NetCtlServer.h"

#include <QDir>
#include <QTcpSocket>

namespace qdv::sim {

namespace {
// A request larger than this is no request of the exchange; the connection is dropped.
constexpr qsizetype kMaxRequest = 64 * 1024;
} // namespace

NetCtlServer::NetCtlServer(QString dataDir, FaultPlan* faults, QObject* parent)
    : QObject(parent), m_dataDir(std::move(dataDir)), m_faults(faults) {
    connect(&m_getInfo, &QTcpServer::newConnection, this,
            [this] { Accept(m_getInfo, NetCtlResponder::Service::GetInfo); });
    connect(&m_config, &QTcpServer::newConnection, this,
            [this] { Accept(m_config, NetCtlResponder::Service::Config); });
}

NetCtlServer::~NetCtlServer() = default;

QString NetCtlServer::DeviceFolder() const {
    return QDir(m_dataDir).filePath(QLatin1String(NetCtlResponder::kFolderName));
}

bool NetCtlServer::Listen(const QHostAddress& address, quint16 getInfoPort, quint16 configPort,
                          QString* error) {
    if (!NetCtlResponder::PrepareDeviceFolder(m_dataDir, error))
        return false;
    for (auto [server, port] : {std::pair{&m_getInfo, getInfoPort}, std::pair{&m_config, configPort}}) {
        if (!server->listen(address, port)) {
            *error = QStringLiteral("cannot listen on %1:%2: %3")
                         .arg(address.toString())
                         .arg(port)
                         .arg(server->errorString());
            return false;
        }
    }
    m_responder = std::make_unique<NetCtlResponder>(DeviceFolder(), m_config.serverPort(), m_faults);
    return true;
}

void NetCtlServer::Accept(QTcpServer& server, NetCtlResponder::Service service) {
    while (QTcpSocket* socket = server.nextPendingConnection()) {
        auto request = std::make_shared<QByteArray>();
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, request, service] {
            request->append(socket->readAll());
            if (request->size() > kMaxRequest) {
                socket->abort();
                return;
            }
            if (!NetCtlResponder::RequestComplete(*request))
                return;
            socket->write(m_responder->Answer(service, *request));
            request->clear();
            if (!m_responder->KeepOpen())
                socket->disconnectFromHost();
        });
    }
}

} // namespace qdv::sim
