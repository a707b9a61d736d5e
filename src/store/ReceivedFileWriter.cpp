#include "store/ReceivedFileWriter.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace qdv {

namespace {

constexpr int kLineBytes = 128;
const QByteArray kFillerLine = QByteArray(256, '0') + "\r\n";

// Makes a rename durable: the folder entry itself is flushed.
void SyncFolder(const QString& folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

ReceivedFileWriter::~ReceivedFileWriter() {
    Abort();
}

QString ReceivedFileWriter::WorkFileOf(const QString& target) {
    const QFileInfo info(target);
    const QString name = info.fileName();
    const int dot = static_cast<int>(name.lastIndexOf(QLatin1Char('.')));
    const QString base = dot < 0 ? name : name.left(dot);
    return info.dir().filePath(base + QStringLiteral(".BAK"));
}

bool ReceivedFileWriter::Fail(const QString& what) {
    if (m_error.isEmpty()) // else the file was refused, for the reason given
        m_error = what + QStringLiteral(": ") + m_file.errorString();
    Abort();
    return false;
}

bool ReceivedFileWriter::WriteLine(const char* data, qint64 chars) {
    if (m_fileSize + chars + 2 > m_rule.limit) {
        // A record far beyond the file's end, or one repeated over and over, is not let fill the disk.
        m_error = m_rule.Mismatch(m_fileSize + chars + 2);
        return false;
    }
    if (m_file.write(data, chars) != chars || m_file.write("\r\n", 2) != 2)
        return false;
    m_fileSize += chars + 2;
    return true;
}

bool ReceivedFileWriter::WriteReceivedData(bool first, bool pad, int dlen, const char* hdata, qint64 oset,
                                           const QString& workFile, const QString& target, bool last) {
    if (first) {
        Abort();
        m_error.clear();
        const QFileInfo info(workFile);
        if (!QDir().mkpath(info.absolutePath())) {
            m_error = QStringLiteral("Cannot create directory.(%1)").arg(info.absolutePath());
            return false;
        }
        QFile::remove(workFile);
        m_file.setFileName(workFile);
        if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return Fail(workFile);
        m_count = 0;
        m_fileSize = 0;
    }
    if (!m_file.isOpen()) {
        m_error = QStringLiteral("no transfer in progress");
        return false;
    }
    while (m_count < oset) {
        if (!WriteLine(kFillerLine.constData(), 256))
            return Fail(workFile);
        m_count += kLineBytes;
    }
    if (dlen > 0) {
        if (!WriteLine(hdata, 2 * static_cast<qint64>(dlen)))
            return Fail(workFile);
        m_count += dlen;
    }
    if (!last)
        return true;
    if (pad) {
        while (m_count <= kPaddedImageSize - 1) {
            if (!WriteLine(kFillerLine.constData(), 256))
                return Fail(workFile);
            m_count += kLineBytes;
        }
    }
    return Complete(target);
}

bool ReceivedFileWriter::Complete(const QString& target) {
    const QString work = m_file.fileName();
    if (!m_rule.Accepts(m_fileSize)) {
        m_error = m_rule.Mismatch(m_fileSize);
        Abort();
        return false;
    }
    if (!m_file.flush() || ::fsync(m_file.handle()) != 0)
        return Fail(work);
    m_file.close();
    // rename() replaces the target in one step; the working copy lies in the same folder.
    if (std::rename(QFile::encodeName(work).constData(), QFile::encodeName(target).constData()) != 0) {
        m_error = QStringLiteral("cannot replace %1").arg(target);
        QFile::remove(work);
        return false;
    }
    SyncFolder(QFileInfo(target).absolutePath());
    return true;
}

void ReceivedFileWriter::Abort() {
    if (m_file.isOpen()) {
        const QString work = m_file.fileName();
        m_file.close();
        QFile::remove(work);
    }
}

} // namespace qdv
