#include "services/ImageStore.h"

#include "store/AtomicFile.h"
#include "store/DataImage.h"
#include "store/PathNoCase.h"

#include <QFile>

namespace qdv {
namespace {

struct Spec {
    const char* fileName;
    bool inNameFolder;
    int size;
};

constexpr Spec kSpecs[ImageStore::kCount] = {
    {"ZEBU_STD.DAU", false, 16384}, {"ZEBU_TLN.DAU", false, 512},    {"ZEBU_GPH.DAU", false, 44810},
    {"ZEBU_LVG.DAU", false, 32768}, {"ZEBU_INH.DAU", false, 131072}, {"ZEBU_NME.DAU", true, 35592},
    {"ZEBU_SGP.DAU", false, 16384}, {"ZEBU_IDX.DAU", false, 4096},
};

} // namespace

ImageStore::ImageStore(Log log) : m_log(std::move(log)) {
    for (int i = 0; i < kCount; ++i)
        m_images[i].bytes.assign(static_cast<std::size_t>(kSpecs[i].size), 0);
}

const char* ImageStore::FileName(Id id) {
    return kSpecs[id].fileName;
}

int ImageStore::Size(Id id) {
    return kSpecs[id].size;
}

bool ImageStore::Load(Id id, const QString& backupDataPath) {
    const Spec& spec = kSpecs[id];
    Image& image = m_images[id];
    image.loaded = false;
    int error = kCannotOpen;
    if (!backupDataPath.isEmpty()) {
        const QString folder =
            JoinNoCase(backupDataPath, QLatin1String(spec.inNameFolder ? "Name" : "Primary"));
        image.path = JoinNoCase(folder, QLatin1String(spec.fileName));
        QFile file(image.path);
        if (file.open(QIODevice::ReadOnly)) {
            const QByteArray text = file.readAll();
            if (file.error() == QFileDevice::NoError) {
                const QByteArray bytes = image::Decode(text, spec.size);
                image.bytes.assign(bytes.begin(), bytes.end());
                image.loaded = true;
                return true;
            }
            error = kReadFailed;
        }
    }
    m_log(QStringLiteral("read error[%1]%2").arg(QLatin1String(spec.fileName)).arg(error));
    return false;
}

void ImageStore::Reload(std::initializer_list<Id> ids, const QString& backupDataPath) {
    const std::lock_guard files(m_fileMutex);
    const std::unique_lock lock(m_mutex);
    for (const Id id : ids) {
        Image& image = m_images[id];
        // A change whose write-back has not run yet must reach its file before the image is replaced.
        if (image.loaded && image.written < image.changes && WriteFile(id, image.path, image.bytes))
            image.written = image.changes;
        Load(id, backupDataPath);
    }
}

bool ImageStore::Persist(Id id, std::uint64_t change) {
    const std::lock_guard files(m_fileMutex);
    Image& image = m_images[id];
    if (image.written >= change)
        return true; // a later write-back holds this change too
    std::vector<std::uint8_t> bytes;
    QString path;
    std::uint64_t upTo = 0;
    {
        const std::shared_lock lock(m_mutex);
        if (!image.loaded)
            return false;
        bytes = image.bytes;
        path = image.path;
        upTo = image.changes;
    }
    if (!WriteFile(id, path, bytes))
        return false;
    image.written = upTo;
    return true;
}

bool ImageStore::WriteFile(Id id, const QString& path, const std::vector<std::uint8_t>& bytes) {
    const QByteArray raw = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                                   static_cast<qsizetype>(bytes.size()));
    QString why;
    if (!WriteFileAtomically(path, image::Encode(raw), &why)) {
        m_log(QStringLiteral("write error[%1]%2").arg(QLatin1String(kSpecs[id].fileName), why));
        return false;
    }
    if (m_writeHook)
        m_writeHook(path);
    return true;
}

} // namespace qdv
