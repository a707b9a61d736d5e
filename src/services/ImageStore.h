#pragma once

#include "store/FolderLock.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <shared_mutex>
#include <vector>

namespace qdv {

// The configuration data the hosted services serve: in-memory byte images of the selected setup's data
// files, loaded from their text form and written back into the same files.
//
// The files have other writers (receive jobs, imports, the editors, other programs), so an image is
// only as good as the file it came from: each image remembers that file (its identity, size, times and
// a hash of its content), is read again before a request uses it when the file has changed since, and
// replaces the file only while the file is still the one it came from.
//
// One mutex guards the images: readers share it, a change holds it alone. Write-backs are ordered by a
// second mutex, taken before the first: each writes a consistent copy of the image as it is then, so
// the file only moves forward and always ends with the last change. A change whose write-back finds
// that a later write already holds it answers at once, which lets concurrent writers share one file
// replacement instead of queueing one each.
class ImageStore {
public:
    enum Id { kStd, kTln, kGph, kLvg, kInh, kNme, kSgp, kIdx, kCount };

    using Log = std::function<void(const QString&)>;
    // Called with the file's path after each successful write-back.
    using WriteHook = std::function<void(const QString&)>;

    explicit ImageStore(Log log);

    static const char* FileName(Id id);
    static int Size(Id id);

    // Reads the images from their files under `backupDataPath` (Primary, or Name for ZEBU_NME.DAU),
    // after writing back any change not yet in its file (when that file is still the one the image came
    // from). A file that is missing or unreadable is logged as "read error[<file>]<code>" and leaves its
    // image not loaded, so that nothing is written back to a folder it was not read from. Takes both
    // locks itself.
    void Reload(std::initializer_list<Id> ids, const QString& backupDataPath);
    // Without the locks: reads again each loaded image of `ids` whose file changed since the image was
    // loaded or last written (a file that is gone leaves its image not loaded).
    void Refresh(const std::vector<Id>& ids);

    // Under the lock:
    bool Loaded(Id id) const { return m_images[id].loaded; }
    std::vector<std::uint8_t>& Bytes(Id id) { return m_images[id].bytes; }
    const std::vector<std::uint8_t>& Bytes(Id id) const { return m_images[id].bytes; }

    // A change of an image, as Persist needs to know it: its number and the load it was made on.
    struct Change {
        Id id = kStd;
        std::uint64_t number = 0;
        std::uint64_t generation = 0;
    };
    // Under the exclusive lock, after changing an image.
    Change MarkChanged(Id id);

    enum class Persisted { kWritten, kStale, kFailed };
    // Without the lock: returns when the file the image was loaded from holds `change` (its text form
    // replaced the file: a complete temporary file, flushed, renamed over it): kWritten. kStale when the
    // file changed on disk since the image was loaded, or the image was read again since the change:
    // nothing was written, and the change must be made again on the image as it is now. kFailed when
    // the image is not loaded or the file cannot be written.
    Persisted Persist(const Change& change);

    void SetWriteHook(WriteHook hook) { m_writeHook = std::move(hook); }

    // How long a client's change waits for the backup folder while another writer holds it.
    static constexpr int kDefaultWriteWaitMs = 30000;
    // A write-back that waits longer for the folder fails, logged as "write error[<file>]" with the
    // holder (kFailed).
    void SetWriteWait(int ms) { m_writeWaitMs = ms; }
    // Takes the lock of the backup folder for a change of `id`, waiting the write wait; false (logged
    // with the holder) when another writer kept it that long.
    bool HoldFolder(FolderLock& lock, Id id, const QString& backupDataPath) {
        return HoldFolder(lock, id, backupDataPath, m_writeWaitMs);
    }

    // Removes the temporary files that a write-back ended mid-way (a killed program) left beside the
    // data files under `backupDataPath`: only names of the form the write-backs make ("ZEBU_STD.DAU."
    // and six letters or digits), and only when older than `minAgeSeconds`, so that a file another
    // writer is making right now stays. Logs and returns the names removed.
    QStringList RemoveStaleTemporaries(const QString& backupDataPath, int minAgeSeconds = 60);

    std::shared_mutex& Mutex() { return m_mutex; }

    // Codes of a failed read, as the log names them.
    enum ReadError { kCannotOpen = 1, kReadFailed = 2 };

    // What is known of a file: its identity, size and times, and a hash of its content.
    struct FileStamp {
        bool exists = false;
        std::uint64_t device = 0, inode = 0;
        std::int64_t size = 0, modifiedNs = 0, changedNs = 0;
        std::int64_t hashedAtNs = 0; // wall clock when the hash was taken
        QByteArray hash;
    };

private:
    struct Image {
        std::vector<std::uint8_t> bytes;
        bool loaded = false;
        QString path;
        FileStamp source;             // the file the image holds; under m_fileMutex
        std::uint64_t generation = 0; // counts the loads; under both locks to change
        // The generation before the last load, and the last of its changes that its file got.
        std::uint64_t previousGeneration = 0;
        std::uint64_t previousWritten = 0;
        std::uint64_t changes = 0; // under m_mutex
        std::uint64_t written = 0; // the last change the file holds; under m_fileMutex
    };

    static QString PathIn(Id id, const QString& backupDataPath);
    // Under both locks: reads the image from `path`; a new generation of the image either way.
    bool Load(Id id, const QString& path);
    // Under m_fileMutex: whether the image's file is still the one the image came from.
    bool Unchanged(Image& image) const;
    bool HoldFolder(FolderLock& lock, Id id, const QString& backupDataPath, int waitMs);
    // Under m_fileMutex: replaces the image's file with `bytes` when it is still the one the image came
    // from (kStale, nothing written, when it is not), and notes the new file as the image's source.
    // The comparison and the replacement are made under the backup folder's lock, waiting up to
    // `waitMs` for it (a reload's write-back does not wait: a read never waits for the folder).
    Persisted CompareAndReplace(Id id, const std::vector<std::uint8_t>& bytes, int waitMs);

    Log m_log;
    WriteHook m_writeHook;
    int m_writeWaitMs = kDefaultWriteWaitMs;
    Image m_images[kCount];
    std::mutex m_fileMutex; // taken before m_mutex
    std::shared_mutex m_mutex;
};

} // namespace qdv
