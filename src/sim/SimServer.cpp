#include "sim/SimServer.h"

#include <QTextStream>

namespace qdv::sim {

SimServer::SimServer(QString dataDir, FaultPlan* faults, QObject* parent)
    : QObject(parent), m_dir(std::move(dataDir)), m_faults(faults) {
    connect(&m_server, &QTcpServer::newConnection, this, &SimServer::TakeNextConnection);
}

SimServer::~SimServer() {
    // The server deletes the socket with itself, after these members are gone; it must not call back.
    if (m_socket)
        m_socket->disconnect(this);
}

bool SimServer::Listen(const QHostAddress& address, quint16 port, QString* error) {
    if (m_server.listen(address, port))
        return true;
    if (error)
        *error = m_server.errorString();
    return false;
}

void SimServer::TakeNextConnection() {
    if (m_socket || !m_server.hasPendingConnections())
        return;
    QTcpSocket* socket = m_server.nextPendingConnection();
    m_socket = socket;
    m_controller = std::make_unique<SimulatedController>(m_dir, m_faults);
    m_controller->SetOutput([socket](const QByteArray& bytes) { socket->write(bytes); });
    // The drop comes from inside Receive(); aborting later keeps the controller alive until it returns.
    m_controller->SetDropLine(
        [socket] { QMetaObject::invokeMethod(socket, &QTcpSocket::abort, Qt::QueuedConnection); });
    m_controller->SetLog(
        [](const QString& text) { QTextStream(stderr) << "qdv70sim: " << text << Qt::endl; });
    connect(socket, &QTcpSocket::readyRead, this, &SimServer::OnReadyRead);
    connect(socket, &QTcpSocket::disconnected, this, &SimServer::OnDisconnected);
    if (socket->bytesAvailable() > 0)
        OnReadyRead();
    // A client that gave up while it waited in the queue has already sent its disconnected signal.
    if (socket->state() != QAbstractSocket::ConnectedState)
        QMetaObject::invokeMethod(this, &SimServer::OnDisconnected, Qt::QueuedConnection);
}

void SimServer::OnReadyRead() {
    if (!m_socket || !m_controller || m_receiving)
        return;
    m_receiving = true;
    m_controller->Receive(m_socket->readAll());
    m_receiving = false;
}

void SimServer::OnDisconnected() {
    if (!m_socket)
        return;
    if (m_receiving) {
        // The controller is still at work on this connection's bytes; end it when it has returned.
        QMetaObject::invokeMethod(this, &SimServer::OnDisconnected, Qt::QueuedConnection);
        return;
    }
    // An ETB sent just before the close may still be unread.
    OnReadyRead();
    if (m_controller)
        m_controller->Disconnected();
    m_socket->disconnect(this);
    m_socket->deleteLater();
    m_socket = nullptr;
    m_controller.reset();
    QMetaObject::invokeMethod(this, &SimServer::TakeNextConnection, Qt::QueuedConnection);
}

} // namespace qdv::sim
