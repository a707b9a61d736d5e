#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace qdv::test {

// A device's answer datagram: STX, the type ("MAC", "ACK", "NAK"), a blank, the 17-character MAC, a
// blank, then each item followed by 0xFF (a lone 0xFF when there are none: 24 bytes).
inline QByteArray DiscoveryAnswer(const QByteArray& type, const QByteArray& mac,
                                  const QList<QByteArray>& items = {}) {
    QByteArray d = "\x02" + type + ' ' + mac + ' ';
    for (const QByteArray& item : items)
        d += item + '\xFF';
    if (items.isEmpty())
        d += '\xFF';
    return d;
}

// The MAC text of device number n: "00-10-20-00-hh-ll".
inline QByteArray TestMac(int n) {
    return QString::asprintf("00-10-20-00-%02X-%02X", (n >> 8) & 0xFF, n & 0xFF).toLatin1();
}

} // namespace qdv::test
