#include "history/JobRecord.h"

#include "store/AtomicFile.h"
#include "store/FolderLock.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace qdv::history {

namespace {

QString TimeText(const QDateTime& t) {
    return t.isValid() ? t.toUTC().toString(Qt::ISODateWithMs) : QString();
}

QDateTime TimeOf(const QJsonValue& v) {
    return QDateTime::fromString(v.toString(), Qt::ISODateWithMs);
}

} // namespace

QMap<QString, JobResult> JobRecord::Read(const QString& folder) {
    QMap<QString, JobResult> results;
    QByteArray data;
    if (folder.isEmpty() || !ReadWholeFile(QDir(folder).filePath(QLatin1String(kFileName)), &data))
        return results;
    const QJsonObject root = QJsonDocument::fromJson(data).object();
    for (auto it = root.begin(); it != root.end(); ++it) {
        const QJsonObject o = it.value().toObject();
        JobResult r;
        r.started = TimeOf(o.value(QLatin1String("started")));
        r.finished = TimeOf(o.value(QLatin1String("finished")));
        r.ok = o.value(QLatin1String("ok")).toBool();
        r.error = o.value(QLatin1String("error")).toString();
        for (const QJsonValue& f : o.value(QLatin1String("missing")).toArray())
            r.missing << f.toString();
        r.lastSuccess = TimeOf(o.value(QLatin1String("lastSuccess")));
        if (r.finished.isValid())
            results.insert(it.key(), r);
    }
    return results;
}

bool JobRecord::Record(const QString& folder, const QString& kind, JobResult result, QString* error,
                       int waitMs) {
    if (folder.isEmpty() || !QDir(folder).exists()) {
        if (error)
            *error = QStringLiteral("%1: no such backup folder").arg(folder);
        return false;
    }
    FolderLock lock;
    const FolderLock::Result held = lock.Lock(folder, QStringLiteral("recording a job's result"), waitMs);
    if (held != FolderLock::Result::Taken) {
        if (error)
            *error = held == FolderLock::Result::Busy
                         ? QStringLiteral("waiting for the backup folder: %1 (gave up after %2 s)")
                               .arg(lock.Holder())
                               .arg(waitMs / 1000.0)
                         : lock.ErrorString();
        return false;
    }
    const QString path = QDir(folder).filePath(QLatin1String(kFileName));
    QByteArray data;
    QJsonObject root;
    if (ReadWholeFile(path, &data))
        root = QJsonDocument::fromJson(data).object();
    result.lastSuccess =
        result.ok ? result.finished : TimeOf(root.value(kind).toObject().value(QLatin1String("lastSuccess")));
    root.insert(kind, QJsonObject{{"started", TimeText(result.started)},
                                  {"finished", TimeText(result.finished)},
                                  {"ok", result.ok},
                                  {"error", result.error},
                                  {"missing", QJsonArray::fromStringList(result.missing)},
                                  {"lastSuccess", TimeText(result.lastSuccess)}});
    return WriteFileAtomically(path, QJsonDocument(root).toJson(QJsonDocument::Indented), error);
}

} // namespace qdv::history
