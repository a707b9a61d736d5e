#include "store/PathNoCase.h"

#include <QDir>
#include <QFileInfo>

namespace qdv {

QString JoinNoCase(const QString& dir, const QString& name) {
    const QString exact = QDir(dir).filePath(name);
    if (QFileInfo::exists(exact))
        return exact;
    const QDir d(dir);
    if (d.exists()) {
        const QStringList entries = d.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        for (const QString& e : entries) {
            if (e.compare(name, Qt::CaseInsensitive) == 0)
                return d.filePath(e);
        }
    }
    return exact;
}

} // namespace qdv
