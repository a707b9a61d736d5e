#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace qdv {

// One TCP connection of the XML exchange: the request goes out in one send, and the answer is every
// byte received until the device closes the connection. No call blocks.
class XmlConnection {
public:
    enum class State { Closed, Connecting, Up, PeerClosed, Failed };

    virtual ~XmlConnection() = default;

    // Starts connecting; false when it cannot even be started.
    virtual bool Open(const QString& host, quint16 port) = 0;
    virtual State CurrentState() const = 0;
    virtual bool Send(QByteArrayView bytes) = 0;
    // Everything received since Open (at most TmTableXML::kMaxAnswer bytes).
    virtual QByteArray Answer() const = 0;
    virtual void Close() = 0;
};

} // namespace qdv
