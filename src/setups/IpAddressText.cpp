#include "setups/IpAddressText.h"

#include <QStringList>

namespace qdv {

QString IpAddressText::Stored(const QString& shown) {
    QString s = shown;
    s.remove(QLatin1Char(' '));
    return s;
}

bool IpAddressText::IsValid(const QString& shown) {
    const QStringList groups = Stored(shown).split(QLatin1Char('.'));
    if (groups.size() != 4)
        return false;
    int all = 0;
    for (const QString& g : groups) {
        if (g.isEmpty() || g.size() > kGroupWidth)
            return false;
        int value = 0;
        for (QChar c : g) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return false;
            value = value * 10 + (c.unicode() - '0');
        }
        if (value > 255)
            return false;
        all += value;
    }
    return all != 4 * 255;
}

QString IpAddressText::Shown(const QString& stored) {
    const QString empty = QStringLiteral("   .   .   .   ");
    const QStringList groups = stored.split(QLatin1Char('.'));
    if (groups.size() != 4)
        return empty;
    QStringList padded;
    for (const QString& g : groups) {
        if (g.size() > kGroupWidth)
            return empty;
        padded << g.leftJustified(kGroupWidth, QLatin1Char(' '));
    }
    return padded.join(QLatin1Char('.'));
}

} // namespace qdv
