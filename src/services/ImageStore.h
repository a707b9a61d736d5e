#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <shared_mutex>
#include <vector>

namespace qdv {

// The configuration data the hosted services serve: in-memory byte images of the selected setup's data
// files, loaded from their text form and written back into the same files. One mutex guards the images
// and their write-back; readers share it, writers hold it alone until their file is replaced, so
// concurrent clients never see or store a half-changed image.
class ImageStore {
public:
    enum Id { kStd, kTln, kGph, kLvg, kInh, kNme, kSgp, kIdx, kCount };

    using Log = std::function<void(const QString&)>;
    // Called with the file's path after each successful write-back.
    using WriteHook = std::function<void(const QString&)>;

    explicit ImageStore(Log log);

    static const char* FileName(Id id);
    static int Size(Id id);

    // Reads the image from its file under `backupDataPath` (Primary, or Name for ZEBU_NME.DAU). A file
    // that is missing or unreadable is logged as "read error[<file>]<code>" and leaves the image not
    // loaded, so that nothing is written back to a folder it was not read from.
    bool Load(Id id, const QString& backupDataPath);
    bool Loaded(Id id) const { return m_images[id].loaded; }

    std::vector<std::uint8_t>& Bytes(Id id) { return m_images[id].bytes; }
    const std::vector<std::uint8_t>& Bytes(Id id) const { return m_images[id].bytes; }

    // Replaces the file the image was loaded from with the image's text form (a complete temporary
    // file, flushed, renamed over it). False when the image is not loaded or the file cannot be written.
    bool WriteBack(Id id);

    void SetWriteHook(WriteHook hook) { m_writeHook = std::move(hook); }

    std::shared_mutex& Mutex() { return m_mutex; }

    // Codes of a failed read, as the log names them.
    enum ReadError { kCannotOpen = 1, kReadFailed = 2 };

private:
    struct Image {
        std::vector<std::uint8_t> bytes;
        bool loaded = false;
        QString path;
    };

    Log m_log;
    WriteHook m_writeHook;
    Image m_images[kCount];
    std::shared_mutex m_mutex;
};

} // namespace qdv
