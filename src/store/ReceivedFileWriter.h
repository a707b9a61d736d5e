#pragma once

#include "store/DataFileSet.h"

#include <QFile>
#include <QString>

namespace qdv {

// Writes a file as it arrives, one data packet at a time, into a working copy (the target's name with
// the extension ".BAK") and puts it in place of the target only when the last packet has been written:
// the working copy is flushed to disk and renamed over the target, so the target is either the old
// file or the complete new one. A transfer that fails leaves the target untouched.
class ReceivedFileWriter {
public:
    static constexpr int kPaddedImageSize = 16384;

    ReceivedFileWriter() = default;
    ~ReceivedFileWriter();
    ReceivedFileWriter(const ReceivedFileWriter&) = delete;
    ReceivedFileWriter& operator=(const ReceivedFileWriter&) = delete;

    // The working copy of a target: the same name with the extension replaced by ".BAK".
    static QString WorkFileOf(const QString& target);

    // The size the file being received must end with, and the most it may grow to (see SizeRule); set
    // before the first packet, kept until set again. A file that grows past the limit is abandoned at
    // once, and one that ends with another size never replaces the target.
    void SetSizeRule(const datafiles::SizeRule& rule) { m_rule = rule; }

    // Writes one packet of `dlen` bytes (2 x dlen hexadecimal characters in `hdata`) at byte offset
    // `oset` of the image. The first packet starts a new working copy; gaps before `oset` are filled with
    // lines of "0". With `last` the image is padded to 16384 bytes when `pad` is set, and the working
    // copy replaces the target. Returns false when the file system refuses a step; the working copy is
    // then discarded and the target untouched.
    bool WriteReceivedData(bool first, bool pad, int dlen, const char* hdata, qint64 oset,
                           const QString& workFile, const QString& target, bool last);

    // Closes and deletes the working copy of an unfinished transfer.
    void Abort();

    // Bytes of the image written so far.
    qint64 ByteCount() const { return m_count; }
    // Size of the working copy (or of the completed file) in characters.
    qint64 FileSize() const { return m_fileSize; }
    QString ErrorString() const { return m_error; }

private:
    bool Fail(const QString& what);
    bool WriteLine(const char* data, qint64 chars);
    bool Complete(const QString& target);

    QFile m_file;
    datafiles::SizeRule m_rule{0, false, datafiles::LargestFileSize()};
    qint64 m_count = 0;
    qint64 m_fileSize = 0;
    QString m_error;
};

} // namespace qdv
