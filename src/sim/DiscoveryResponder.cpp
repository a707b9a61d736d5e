#include "sim/DiscoveryResponder.h"

#include <QDateTime>

namespace qdv::sim {

namespace {

// The keys each request brings back.
const char* const kNetworkKeys[] = {"IPADRM", "IPADRB", "GPID", "TERM", "LOG",   "GWAY",  "MASK",  "OPTIP",
                                    "OPT1",   "OPT2",   "OPT3", "TOUT", "TRAP1", "TRAP2", "ZEBUID"};
const char* const kDevInfoKeys[] = {"MODEL", "ZEBUID", "SERIAL", "YMDHM", "GMT",
                                    "CONT",  "NAME",   "LOC",    "UNIQ"};

QByteArray Hex2(int v) {
    return QByteArray::number(v & 0xFF, 16).rightJustified(2, '0').toUpper();
}

} // namespace

QList<DiscoveryResponder::Device> DiscoveryResponder::Generated(int count, const QString& primary) {
    QList<Device> devices;
    for (int n = 0; n < count; ++n) {
        const QByteArray id = QByteArray::number(2 + n % 253);
        const QByteArray host = QByteArray::number(n / 250) + '.' + QByteArray::number(n % 250 + 2);
        Device d;
        d.mac = "02-00-5E-00-" + Hex2(n >> 8) + '-' + Hex2(n);
        d.items = {{"MODEL", "QDV-SIM-" + QByteArray(n % 2 ? "SEC" : "NET")},
                   {"ZEBUID", id},
                   {"SERIAL", "S" + QByteArray::number(100000 + n)},
                   {"YMDHM", "202601010000"},
                   {"GMT", "+0000"},
                   {"IPADRM", "127.1." + host},
                   {"IPADRB", "127.255.255.255"},
                   {"GPID", "0"},
                   {"TERM", "0"},
                   {"LOG", "0"},
                   {"GWAY", "127.0.0.1"},
                   {"MASK", "255.0.0.0"},
                   {"OPTIP", primary.toLatin1()},
                   {"OPT1", "0"},
                   {"OPT2", "0"},
                   {"OPT3", "0"},
                   {"TOUT", "30"},
                   {"TRAP1", "0.0.0.0"},
                   {"TRAP2", "0.0.0.0"},
                   {"CONT", "Engineering"},
                   {"NAME", "Station " + id},
                   {"LOC", "Rack " + QByteArray::number(n / 16 + 1)},
                   {"UNIQ", "SIM" + QByteArray::number(n)}};
        devices.append(d);
    }
    return devices;
}

bool DiscoveryResponder::FromText(const QString& text, int n, const QString& primary, Device* device) {
    QList<Device> generated = Generated(n + 1, primary);
    *device = generated.last();
    for (const QString& part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const qsizetype colon = part.indexOf(QLatin1Char(':'));
        if (colon <= 0)
            return false;
        const QByteArray key = part.left(colon).trimmed().toUpper().toLatin1();
        const QByteArray value = part.mid(colon + 1).toLatin1();
        if (key == "MAC") {
            device->mac = value;
            continue;
        }
        bool replaced = false;
        for (Item& item : device->items)
            if (item.first == key) {
                item.second = value;
                replaced = true;
            }
        if (!replaced)
            device->items.append({key, value});
    }
    return true;
}

DiscoveryResponder::DiscoveryResponder(QList<Device> devices, QObject* parent)
    : QObject(parent), m_devices(std::move(devices)) {
    connect(&m_socket, &QUdpSocket::readyRead, this, &DiscoveryResponder::OnReadyRead);
}

bool DiscoveryResponder::Listen(const QHostAddress& address, quint16 port, QString* error) {
    if (m_socket.bind(address, port, QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint))
        return true;
    *error = m_socket.errorString();
    return false;
}

QByteArray DiscoveryResponder::Answer(const Device& device, const QByteArray& request) {
    QByteArray items;
    auto add = [&](const char* key) {
        for (const Item& item : device.items)
            if (item.first == key)
                items += item.first + ':' + item.second + '\xFF';
    };
    if (request == "ENQ:NETWORK") {
        for (const char* key : kNetworkKeys)
            add(key);
    } else if (request == "ENQ:DEVINFO") {
        for (const char* key : kDevInfoKeys)
            add(key);
        // Items the simulator does not know by name go with the identity.
        for (const Item& item : device.items) {
            bool known = false;
            for (const char* key : kNetworkKeys)
                known = known || item.first == key;
            for (const char* key : kDevInfoKeys)
                known = known || item.first == key;
            if (!known)
                items += item.first + ':' + item.second + '\xFF';
        }
    } else if (request == "ENQ:DATE") {
        items = "INFO:DATE\xFF";
        add("YMDHM");
    } else {
        return {};
    }
    return "\x02MAC " + device.mac.leftJustified(17, ' ', true) + ' ' + items;
}

void DiscoveryResponder::OnReadyRead() {
    while (m_socket.hasPendingDatagrams()) {
        QHostAddress from;
        quint16 fromPort = 0;
        QByteArray request(static_cast<int>(qMax<qint64>(0, m_socket.pendingDatagramSize())), '\0');
        const qint64 n = m_socket.readDatagram(request.data(), request.size(), &from, &fromPort);
        request.resize(static_cast<int>(qMax<qint64>(0, n)));
        // A request is STX, its text, 0xFF, ETX; anything else, answers of other devices included,
        // is not for us.
        if (n < 4 || request.front() != '\x02' || !request.endsWith("\xFF\x03"))
            continue;
        const QByteArray text = request.mid(1, request.size() - 3);
        for (const Device& d : m_devices) {
            const QByteArray answer = Answer(d, text);
            if (answer.isEmpty())
                break;
            m_socket.writeDatagram(answer, from, fromPort);
            ++m_answered;
        }
    }
}

} // namespace qdv::sim
