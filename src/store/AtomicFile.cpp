#include "store/AtomicFile.h"

#include <QFile>
#include <QSaveFile>
#include <memory>
#include <vector>

namespace qdv {

bool WriteFileAtomically(const QString& path, const QByteArray& data, QString* error) {
    QSaveFile file(path);
    // Without this QSaveFile may fall back to writing the target in place where the folder does not
    // let it create a temporary file, which is exactly the half-written file we refuse to make.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    if (file.write(data) != data.size()) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

bool WriteFilesAtomically(const QList<QPair<QString, QByteArray>>& files, QString* error) {
    std::vector<std::unique_ptr<QSaveFile>> staged;
    const auto fail = [&](const QString& path, const QString& why) {
        // Destroying an uncommitted QSaveFile removes its temporary file; no target has been touched.
        for (auto& file : staged)
            file->cancelWriting();
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, why);
        return false;
    };
    for (const auto& [path, data] : files) {
        auto file = std::make_unique<QSaveFile>(path);
        file->setDirectWriteFallback(false);
        if (!file->open(QIODevice::WriteOnly))
            return fail(path, file->errorString());
        const bool written = file->write(data) == data.size() && file->flush();
        QSaveFile* raw = file.get();
        staged.push_back(std::move(file));
        if (!written)
            return fail(path, raw->errorString());
    }
    for (auto& file : staged) {
        if (!file->commit())
            return fail(file->fileName(), file->errorString());
    }
    return true;
}

bool ReadWholeFile(const QString& path, QByteArray* data) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    *data = file.readAll();
    return file.error() == QFileDevice::NoError;
}

} // namespace qdv
