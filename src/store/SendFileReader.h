#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace qdv {

// Reads a data file to be sent and hands it out one line at a time, without its line ends: one chunk of
// 256 characters per full 258-byte line and a last chunk of the short line's characters. A trailing
// remainder of fewer than 3 bytes holds no data and is dropped.
class SendFileReader {
public:
    static constexpr qint64 kBufferSize = 327680;

    // Reads the whole file; false when it cannot be read or is larger than the buffer.
    bool LoadSendFile(const QString& path);

    int ChunkCount() const { return m_chunks; }
    bool HasMore() const { return m_next < m_chunks; }
    // Characters of data in the file, line ends left out.
    qint64 DataChars() const { return m_data.size(); }
    // The next chunk; empty when none is left.
    QByteArrayView NextChunk();
    // Chunk i (0-based) without moving the read position.
    QByteArrayView Chunk(int i) const;

private:
    QByteArray m_data;
    int m_chunks = 0;
    int m_next = 0;
};

} // namespace qdv
