#include "services/ImageStore.h"

#include "store/AtomicFile.h"
#include "store/DataImage.h"
#include "store/FolderLock.h"
#include "store/PathNoCase.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <ctime>

#include <sys/stat.h>

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

// File times advance in coarse steps: a file may change again within the step without its times
// moving. Its content is therefore hashed again until its last change lies this far back.
constexpr std::int64_t kTimeStepNs = 2'000'000'000;

std::int64_t Ns(const timespec& t) {
    return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

std::int64_t NowNs() {
    timespec t{};
    clock_gettime(CLOCK_REALTIME, &t);
    return Ns(t);
}

QByteArray Hash(const QByteArray& text) {
    return QCryptographicHash::hash(text, QCryptographicHash::Sha1);
}

ImageStore::FileStamp StampFrom(const struct stat& st, const QByteArray& text, std::int64_t hashedAt) {
    ImageStore::FileStamp s;
    s.exists = true;
    s.device = st.st_dev;
    s.inode = st.st_ino;
    s.size = st.st_size;
    s.modifiedNs = Ns(st.st_mtim);
    s.changedNs = Ns(st.st_ctim);
    s.hashedAtNs = hashedAt;
    s.hash = Hash(text);
    return s;
}

bool SameMetadata(const ImageStore::FileStamp& a, const struct stat& st) {
    return a.device == st.st_dev && a.inode == st.st_ino && a.size == st.st_size &&
           a.modifiedNs == Ns(st.st_mtim) && a.changedNs == Ns(st.st_ctim);
}

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

QString ImageStore::PathIn(Id id, const QString& backupDataPath) {
    if (backupDataPath.isEmpty())
        return {};
    const Spec& spec = kSpecs[id];
    return JoinNoCase(JoinNoCase(backupDataPath, QLatin1String(spec.inNameFolder ? "Name" : "Primary")),
                      QLatin1String(spec.fileName));
}

bool ImageStore::Load(Id id, const QString& path) {
    const Spec& spec = kSpecs[id];
    Image& image = m_images[id];
    image.loaded = false;
    image.source = {};
    image.previousGeneration = image.generation;
    image.previousWritten = image.written;
    ++image.generation;
    image.path = path;
    int error = kCannotOpen;
    if (!path.isEmpty()) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) {
            struct stat st {};
            const std::int64_t now = NowNs();
            const bool stated = fstat(file.handle(), &st) == 0;
            const QByteArray text = file.readAll();
            if (stated && file.error() == QFileDevice::NoError) {
                const QByteArray bytes = image::Decode(text, spec.size);
                image.bytes.assign(bytes.begin(), bytes.end());
                image.source = StampFrom(st, text, now);
                image.loaded = true;
                return true;
            }
            error = kReadFailed;
        }
    }
    m_log(QStringLiteral("read error[%1]%2").arg(QLatin1String(spec.fileName)).arg(error));
    return false;
}

bool ImageStore::Unchanged(Image& image) const {
    FileStamp& known = image.source;
    struct stat st {};
    if (::stat(QFile::encodeName(image.path).constData(), &st) != 0)
        return !known.exists;
    if (!known.exists)
        return false;
    // Same file, size and times, last changed well before its content was hashed: the same content.
    if (SameMetadata(known, st) && known.hashedAtNs - known.changedNs > kTimeStepNs)
        return true;
    QFile file(image.path);
    const std::int64_t now = NowNs();
    if (!file.open(QIODevice::ReadOnly) || fstat(file.handle(), &st) != 0)
        return false;
    const QByteArray text = file.readAll();
    if (file.error() != QFileDevice::NoError || Hash(text) != known.hash)
        return false;
    // The same content under new metadata (touched, or rewritten as it was): still the image's file.
    known = StampFrom(st, text, now);
    return true;
}

void ImageStore::Reload(std::initializer_list<Id> ids, const QString& backupDataPath) {
    const std::lock_guard files(m_fileMutex);
    const std::unique_lock lock(m_mutex);
    for (const Id id : ids) {
        Image& image = m_images[id];
        // A change whose write-back has not run yet reaches its file before the image is replaced, as
        // long as the file is the one it was made on; a newer file is never overwritten.
        if (image.loaded && image.written < image.changes &&
            CompareAndReplace(id, image.bytes, 0) == Persisted::kWritten)
            image.written = image.changes;
        Load(id, PathIn(id, backupDataPath));
    }
}

void ImageStore::Refresh(const std::vector<Id>& ids) {
    const std::lock_guard files(m_fileMutex);
    for (const Id id : ids) {
        Image& image = m_images[id];
        if (!image.loaded || Unchanged(image))
            continue;
        const std::unique_lock lock(m_mutex);
        Load(id, image.path);
    }
}

ImageStore::Change ImageStore::MarkChanged(Id id) {
    Image& image = m_images[id];
    return {id, ++image.changes, image.generation};
}

ImageStore::Persisted ImageStore::Persist(const Change& change) {
    const std::lock_guard files(m_fileMutex);
    Image& image = m_images[change.id];
    std::vector<std::uint8_t> bytes;
    std::uint64_t upTo = 0;
    {
        const std::shared_lock lock(m_mutex);
        // The image was read again since the change: the change is in the file when its write-back came
        // before the load, else it is gone with the old image and must be made again.
        if (image.generation != change.generation)
            return change.generation == image.previousGeneration && change.number <= image.previousWritten
                       ? Persisted::kWritten
                       : Persisted::kStale;
        if (image.written >= change.number)
            return Persisted::kWritten; // a later write-back holds this change too
        if (!image.loaded)
            return Persisted::kFailed;
        bytes = image.bytes;
        upTo = image.changes;
    }
    const Persisted result = CompareAndReplace(change.id, bytes, m_writeWaitMs);
    if (result == Persisted::kWritten)
        image.written = upTo;
    return result;
}

bool ImageStore::HoldFolder(FolderLock& lock, Id id, const QString& backupDataPath, int waitMs) {
    const QLatin1String name(kSpecs[id].fileName);
    if (lock.Lock(backupDataPath, QStringLiteral("writing %1 for a hosted service").arg(name), waitMs) !=
        FolderLock::Result::Busy)
        return true;
    m_log(QStringLiteral("write error[%1]the backup folder is busy: %2").arg(name, lock.Holder()));
    return false;
}

ImageStore::Persisted ImageStore::CompareAndReplace(Id id, const std::vector<std::uint8_t>& bytes,
                                                    int waitMs) {
    Image& image = m_images[id];
    // The file lies in Primary or Name of the backup folder.
    FolderLock folder;
    if (!HoldFolder(folder, id, QFileInfo(QFileInfo(image.path).absolutePath()).absolutePath(), waitMs))
        return Persisted::kFailed;
    if (!Unchanged(image))
        return Persisted::kStale;
    const QByteArray raw = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                                   static_cast<qsizetype>(bytes.size()));
    const QByteArray text = image::Encode(raw);
    QString why;
    if (!WriteFileAtomically(image.path, text, &why)) {
        m_log(QStringLiteral("write error[%1]%2").arg(QLatin1String(kSpecs[id].fileName), why));
        return Persisted::kFailed;
    }
    struct stat st {};
    const std::int64_t now = NowNs();
    if (::stat(QFile::encodeName(image.path).constData(), &st) == 0)
        image.source = StampFrom(st, text, now);
    else
        image.source = {};
    if (m_writeHook)
        m_writeHook(image.path);
    return Persisted::kWritten;
}

QStringList ImageStore::RemoveStaleTemporaries(const QString& backupDataPath, int minAgeSeconds) {
    QStringList removed;
    if (backupDataPath.isEmpty())
        return removed;
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-minAgeSeconds);
    for (const bool inName : {false, true}) {
        QStringList names;
        for (const Spec& spec : kSpecs) {
            if (spec.inNameFolder == inName)
                names << QRegularExpression::escape(QLatin1String(spec.fileName));
        }
        const QRegularExpression temporary(
            QStringLiteral("^(%1)\\.[A-Za-z0-9]{6}$").arg(names.join(QLatin1Char('|'))),
            QRegularExpression::CaseInsensitiveOption);
        const QDir folder(JoinNoCase(backupDataPath, QLatin1String(inName ? "Name" : "Primary")));
        for (const QFileInfo& f : folder.entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks)) {
            if (!temporary.match(f.fileName()).hasMatch() || f.lastModified().toUTC() > before)
                continue;
            if (QFile::remove(f.absoluteFilePath())) {
                removed << f.absoluteFilePath();
                m_log(QStringLiteral("removed a temporary file left by an unfinished write-back: %1")
                          .arg(f.absoluteFilePath()));
            }
        }
    }
    return removed;
}

} // namespace qdv
