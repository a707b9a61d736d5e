#pragma once

#include <QByteArray>
#include <QList>

namespace qdv::test {

// A device's answer datagram: STX, the type ("MAC", "ACK", "NAK"), a blank, the 17-character MAC, a
// blank, then each item followed by 0xFF (a lone 0xFF when there are none: 24 bytes).
QByteArray DiscoveryAnswer(const QByteArray& type, const QByteArray& mac,
                           const QList<QByteArray>& items = {});

// The MAC text of device number n: "00-10-20-00-hh-ll".
QByteArray TestMac(int n);

} // namespace qdv::test
