#include "services/ServiceLog.h"

#include <QDir>
#include <QFile>

#include <cstdio>

namespace qdv {

ServiceLog::ServiceLog(const QString& homeFolder)
    : m_path(QDir(homeFolder).filePath(QLatin1String(kFileName))) {}

void ServiceLog::Write(const QString& line) {
    const QByteArray text = line.toUtf8() + '\n';
    const std::lock_guard lock(m_mutex);
    std::fprintf(stderr, "qdv70 services: %s", text.constData());
    QFile file(m_path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Append))
        file.write(text);
}

} // namespace qdv
