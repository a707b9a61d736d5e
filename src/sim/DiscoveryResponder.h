#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPair>
#include <QUdpSocket>

namespace qdv::sim {

// Simulated devices on the LAN answering discovery requests: each has a MAC address and a list of
// items (key, value). "ENQ:NETWORK" brings each device's network items, "ENQ:DEVINFO" its identity,
// "ENQ:DATE" its date; every device answers at once, to the address and port the request came from.
class DiscoveryResponder : public QObject {
    Q_OBJECT
public:
    using Item = QPair<QByteArray, QByteArray>;
    struct Device {
        QByteArray mac;
        QList<Item> items;
    };

    // `count` generated devices with station IDs 2, 3, ... (wrapping after 254), each naming
    // `primary` as its primary controller's address.
    static QList<Device> Generated(int count, const QString& primary);
    // A device from "KEY:VALUE,KEY:VALUE" over generated device number `n`: given keys replace the
    // generated values, "MAC" sets the MAC. False when a part has no ':'.
    static bool FromText(const QString& text, int n, const QString& primary, Device* device);

    explicit DiscoveryResponder(QList<Device> devices, QObject* parent = nullptr);

    // Port 0 picks a free port. Bind to the LAN's broadcast address (or 127.255.255.255 on loopback) to
    // hear broadcasts without taking the answers meant for a PC on the same host.
    bool Listen(const QHostAddress& address, quint16 port, QString* error);
    quint16 Port() const { return m_socket.localPort(); }
    int Answered() const { return m_answered; }

    // The answer datagram of a device to one request text ("ENQ:NETWORK" ...); empty for other texts.
    static QByteArray Answer(const Device& device, const QByteArray& request);

private:
    void OnReadyRead();

    QList<Device> m_devices;
    QUdpSocket m_socket;
    int m_answered = 0;
};

} // namespace qdv::sim
