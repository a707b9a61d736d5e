#include "store/SendFileReader.h"

#include <QFile>

namespace qdv {

namespace {
constexpr int kLine = 258;
constexpr int kChars = 256;
} // namespace

bool SendFileReader::LoadSendFile(const QString& path) {
    m_data.clear();
    m_chunks = 0;
    m_next = 0;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kBufferSize)
        return false;
    const QByteArray raw = file.readAll();
    if (file.error() != QFileDevice::NoError || raw.size() > kBufferSize)
        return false;
    const qsizetype full = raw.size() / kLine;
    const qsizetype rest = raw.size() % kLine;
    m_data.reserve(full * kChars + rest);
    for (qsizetype i = 0; i < full; ++i)
        m_data.append(raw.constData() + i * kLine, kChars);
    m_chunks = static_cast<int>(full);
    if (rest >= 3) {
        m_data.append(raw.constData() + full * kLine, rest - 2);
        ++m_chunks;
    }
    return true;
}

QByteArrayView SendFileReader::Chunk(int i) const {
    if (i < 0 || i >= m_chunks)
        return {};
    const qsizetype start = static_cast<qsizetype>(i) * kChars;
    return QByteArrayView(m_data).sliced(start, std::min<qsizetype>(kChars, m_data.size() - start));
}

QByteArrayView SendFileReader::NextChunk() {
    if (!HasMore())
        return {};
    return Chunk(m_next++);
}

} // namespace qdv
