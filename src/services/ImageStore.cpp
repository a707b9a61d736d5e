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

bool ImageStore::WriteBack(Id id) {
    Image& image = m_images[id];
    if (!image.loaded)
        return false;
    const QByteArray raw = QByteArray::fromRawData(reinterpret_cast<const char*>(image.bytes.data()),
                                                   static_cast<qsizetype>(image.bytes.size()));
    QString why;
    if (!WriteFileAtomically(image.path, image::Encode(raw), &why)) {
        m_log(QStringLiteral("write error[%1]%2").arg(QLatin1String(kSpecs[id].fileName), why));
        return false;
    }
    if (m_writeHook)
        m_writeHook(image.path);
    return true;
}

} // namespace qdv
