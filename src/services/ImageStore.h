#pragma once

#include <QString>

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
    // after writing back any change not yet in its file. A file that is missing or unreadable is logged
    // as "read error[<file>]<code>" and leaves its image not loaded, so that nothing is written back to
    // a folder it was not read from. Takes both locks itself.
    void Reload(std::initializer_list<Id> ids, const QString& backupDataPath);
    // Under the lock:
    bool Loaded(Id id) const { return m_images[id].loaded; }

    std::vector<std::uint8_t>& Bytes(Id id) { return m_images[id].bytes; }
    const std::vector<std::uint8_t>& Bytes(Id id) const { return m_images[id].bytes; }

    // Under the exclusive lock, after changing an image: the number of the change, for Persist.
    std::uint64_t MarkChanged(Id id) { return ++m_images[id].changes; }
    // Without the lock: returns when the file the image was loaded from holds change `change` (its text
    // form replaced the file: a complete temporary file, flushed, renamed over it). False when the
    // image is not loaded or the file cannot be written.
    bool Persist(Id id, std::uint64_t change);

    void SetWriteHook(WriteHook hook) { m_writeHook = std::move(hook); }

    std::shared_mutex& Mutex() { return m_mutex; }

    // Codes of a failed read, as the log names them.
    enum ReadError { kCannotOpen = 1, kReadFailed = 2 };

private:
    struct Image {
        std::vector<std::uint8_t> bytes;
        bool loaded = false;
        QString path;
        std::uint64_t changes = 0; // under m_mutex
        std::uint64_t written = 0; // the last change the file holds; under m_fileMutex
    };

    bool Load(Id id, const QString& backupDataPath);
    bool WriteFile(Id id, const QString& path, const std::vector<std::uint8_t>& bytes);

    Log m_log;
    WriteHook m_writeHook;
    Image m_images[kCount];
    std::mutex m_fileMutex; // taken before m_mutex
    std::shared_mutex m_mutex;
};

} // namespace qdv
