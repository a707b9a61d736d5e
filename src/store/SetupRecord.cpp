#include "store/SetupRecord.h"

namespace qdv {

void SetupRecord::SetBackupDataPath(const QString& path) {
    backupDataPath = path.left(kTextField);
    if (backupDataPath.isEmpty()) {
        primaryPath.clear();
        return;
    }
    QString base = backupDataPath;
    while (base.size() > 1 && base.endsWith(QLatin1Char('/')))
        base.chop(1);
    primaryPath = (base == QLatin1String("/") ? base : base + QLatin1Char('/')) + QStringLiteral("Primary/");
    primaryPath = primaryPath.left(kTextField);
}

QString SetupRecord::ConnectionText() const {
    return selectLan ? QStringLiteral("LAN,%1").arg(remote3Port) : QStringLiteral("COM%1,38400").arg(comPort);
}

QString PortSettings::SerialDevicePath(int n) const {
    if (n >= 1 && n <= kSerialPorts && !serialDevice[n - 1].isEmpty())
        return serialDevice[n - 1];
    return QStringLiteral("/dev/ttyS%1").arg(n - 1);
}

} // namespace qdv
