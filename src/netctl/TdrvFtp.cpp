#include "netctl/TdrvFtp.h"

#include "store/ReceivedFileWriter.h"

#include <QFile>
#include <QFileInfo>
#include <curl/curl.h>

#include <cstdio>
#include <mutex>
#include <unistd.h>

namespace qdv {

namespace {

void GlobalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

int OnProgress(void* cancel, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<const std::atomic<bool>*>(cancel)->load() ? 1 : 0;
}

// Where a download goes: its file, and the bytes it may still take.
struct DownloadSink {
    std::FILE* file = nullptr;
    qint64 written = 0;
    qint64 limit = 0;
    bool overLimit = false;
};

// Writes what arrives; a download that brings more than its kind can have is stopped there, so an
// endless file fills no disk.
std::size_t OnData(char* data, std::size_t size, std::size_t count, void* sinkPtr) {
    auto* sink = static_cast<DownloadSink*>(sinkPtr);
    const std::size_t n = size * count;
    if (sink->written + static_cast<qint64>(n) > sink->limit) {
        sink->overLimit = true;
        sink->written += static_cast<qint64>(n);
        return 0;
    }
    const std::size_t done = std::fwrite(data, 1, n, sink->file);
    sink->written += static_cast<qint64>(done);
    return done;
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

struct CurlCleanup {
    void operator()(CURL* c) const { curl_easy_cleanup(c); }
};

} // namespace

TdrvFtp::TdrvFtp() {
    GlobalInit();
}

TdrvFtp::~TdrvFtp() {
    m_cancel = true;
    Join();
}

void TdrvFtp::Join() {
    if (m_worker.joinable())
        m_worker.join();
}

QString TdrvFtp::LastError() const {
    return m_busy ? QString() : m_error;
}

bool TdrvFtp::Start(const FtpRequest& request) {
    if (m_busy)
        return false;
    Join();
    if (request.direction == Direction::Send && !QFileInfo(request.localPath).isFile())
        return false;
    m_cancel = false;
    m_result = false;
    m_busy = true;
    m_worker = std::thread([this, request] {
        QString error;
        qint64 bytes = 0;
        m_result = Transfer(request, m_cancel, &error, &bytes);
        m_error = error;
        m_bytes = bytes;
        m_busy = false;
        if (m_notify)
            m_notify();
    });
    return true;
}

QByteArray TdrvFtp::Url(const FtpRequest& request) {
    const QByteArray path = request.remotePath.toUtf8().toPercentEncoding("/");
    return QStringLiteral("ftp://%1:%2/").arg(request.host).arg(request.port).toUtf8() + path;
}

bool TdrvFtp::Transfer(const FtpRequest& request, const std::atomic<bool>& cancel, QString* error,
                       qint64* bytes) {
    std::unique_ptr<CURL, CurlCleanup> curl(curl_easy_init());
    if (!curl) {
        if (error)
            *error = QStringLiteral("cannot start the FTP client");
        return false;
    }
    CURL* c = curl.get();
    const QByteArray url = Url(request);
    const QByteArray user = request.user.toUtf8();
    const QByteArray password = request.password.toUtf8();
    curl_easy_setopt(c, CURLOPT_URL, url.constData());
    curl_easy_setopt(c, CURLOPT_USERNAME, user.constData());
    curl_easy_setopt(c, CURLOPT_PASSWORD, password.constData());
    curl_easy_setopt(c, CURLOPT_PROXY, "");        // direct: never a proxy from the environment
    curl_easy_setopt(c, CURLOPT_FTP_USE_EPSV, 1L); // passive (EPSV, then PASV)
    curl_easy_setopt(c, CURLOPT_TRANSFERTEXT, 0L); // binary
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, kConnectTimeoutMs);
    curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, kTransferTimeoutMs);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, &OnProgress);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, const_cast<std::atomic<bool>*>(&cancel));
    char curlError[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, curlError);

    const bool upload = request.direction == Direction::Send;
    const QByteArray local = QFile::encodeName(request.localPath);
    // A download lands in the work file first; the stored file is replaced only by a complete one.
    const QByteArray work = QFile::encodeName(ReceivedFileWriter::WorkFileOf(request.localPath));
    FilePtr file(std::fopen(upload ? local.constData() : work.constData(), upload ? "rb" : "wb"));
    if (!file) {
        if (error)
            *error =
                QStringLiteral("cannot open %1").arg(upload ? request.localPath : QFile::decodeName(work));
        return false;
    }
    if (upload) {
        curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(c, CURLOPT_READDATA, file.get());
        curl_easy_setopt(c, CURLOPT_INFILESIZE_LARGE,
                         static_cast<curl_off_t>(QFileInfo(request.localPath).size()));
    }
    DownloadSink sink{file.get(), 0, request.rule.limit, false};
    if (!upload) {
        curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &OnData);
        curl_easy_setopt(c, CURLOPT_WRITEDATA, &sink);
    }
    const CURLcode rc = curl_easy_perform(c);
    bool ok = rc == CURLE_OK;
    QString why =
        rc != CURLE_OK ? QString::fromUtf8(*curlError ? curlError : curl_easy_strerror(rc)) : QString();
    if (!upload) {
        // A file of a known kind must have its size, and none may end short of what the device announced:
        // a server may report success for a data connection that closed early.
        if (sink.overLimit || (ok && !request.rule.Accepts(sink.written))) {
            ok = false;
            why = request.rule.Mismatch(sink.written);
        } else if (ok && request.announced >= 0 && sink.written < request.announced) {
            ok = false;
            why = QStringLiteral("%1 bytes received, %2 announced").arg(sink.written).arg(request.announced);
        }
        const bool stored = ok && std::fflush(file.get()) == 0 && ::fsync(::fileno(file.get())) == 0;
        file.reset();
        if (ok && !(stored && std::rename(work.constData(), local.constData()) == 0)) {
            ok = false;
            why = QStringLiteral("cannot replace %1").arg(request.localPath);
        }
        if (!ok)
            std::remove(work.constData());
    }
    if (bytes)
        *bytes = upload ? (ok ? QFileInfo(request.localPath).size() : 0) : sink.written;
    if (!ok && error)
        *error = why;
    return ok;
}

} // namespace qdv
