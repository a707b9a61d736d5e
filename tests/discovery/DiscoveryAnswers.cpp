#include "DiscoveryAnswers.h"

namespace qdv::test {

QByteArray DiscoveryAnswer(const QByteArray& type, const QByteArray& mac, const QList<QByteArray>& items) {
    QByteArray d = "\x02" + type + ' ' + mac + ' ';
    for (const QByteArray& item : items)
        d += item + '\xFF';
    // Devices send at least 24 bytes; an answer without items ends with an empty one.
    if (items.isEmpty())
        d += '\xFF';
    return d;
}

QByteArray TestMac(int n) {
    return QByteArray("00-10-20-00-") +
           QByteArray::number((n >> 8) & 0xFF, 16).rightJustified(2, '0').toUpper() + '-' +
           QByteArray::number(n & 0xFF, 16).rightJustified(2, '0').toUpper();
}

} // namespace qdv::test
