#include "netctl/TcpXmlConnection.h"

#include "netctl/TmTableXML.h"

#include <QHostAddress>
#include <QTcpSocket>

namespace qdv {

TcpXmlConnection::TcpXmlConnection(QObject* parent) : QObject(parent) {}

TcpXmlConnection::~TcpXmlConnection() {
    Close();
}

void TcpXmlConnection::Notify() {
    if (m_notify)
        m_notify();
}

bool TcpXmlConnection::Open(const QString& host, quint16 port) {
    Close();
    m_answer.clear();
    QHostAddress address;
    if (!address.setAddress(host))
        return false;
    m_socket = new QTcpSocket(this);
    m_state = State::Connecting;
    connect(m_socket, &QTcpSocket::connected, this, [this] {
        m_state = State::Up;
        Notify();
    });
    connect(m_socket, &QTcpSocket::readyRead, this, [this] {
        TakeBytes();
        Notify();
    });
    // The device ends its answer by closing; whatever it sent before is still read.
    auto ended = [this] {
        if (m_state == State::PeerClosed || m_state == State::Failed)
            return;
        TakeBytes();
        const bool closedByPeer =
            m_state == State::Up && (m_socket->state() == QAbstractSocket::UnconnectedState ||
                                     m_socket->error() == QAbstractSocket::RemoteHostClosedError);
        m_state = closedByPeer ? State::PeerClosed : State::Failed;
        Notify();
    };
    connect(m_socket, &QTcpSocket::disconnected, this, ended);
    connect(m_socket, &QTcpSocket::errorOccurred, this, ended);
    m_socket->connectToHost(address, port);
    return true;
}

void TcpXmlConnection::TakeBytes() {
    if (!m_socket)
        return;
    const QByteArray bytes = m_socket->readAll();
    // A device that talks beyond the largest answer read is cut off there.
    m_answer.append(bytes.first(std::min(bytes.size(), TmTableXML::kMaxAnswer - m_answer.size())));
}

bool TcpXmlConnection::Send(QByteArrayView bytes) {
    if (!m_socket || m_state != State::Up)
        return false;
    if (m_socket->write(bytes.data(), bytes.size()) != bytes.size())
        return false;
    m_socket->flush();
    return true;
}

void TcpXmlConnection::Close() {
    m_state = State::Closed;
    if (!m_socket)
        return;
    QTcpSocket* s = m_socket;
    m_socket = nullptr;
    s->disconnect(this);
    s->abort();
    s->deleteLater();
}

} // namespace qdv
