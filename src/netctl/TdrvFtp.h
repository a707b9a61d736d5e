#pragma once

#include "netctl/FileTransfer.h"

#include <atomic>
#include <functional>
#include <thread>

namespace qdv {

// FTP transfers with libcurl: passive mode, binary, one connection per transfer, direct (no proxy).
// Each transfer runs in a worker thread of its own so that the link engine keeps ticking; the notify
// callback is called from that thread when the transfer has ended.
//
// A download goes into a work file beside the target (".BAK") and replaces the target only when it is
// complete, so a failed transfer leaves the stored file as it was.
class TdrvFtp final : public FileTransfer {
public:
    // libcurl's own limits: the connection must be up within this time, the whole transfer within the
    // longer one.
    static constexpr long kConnectTimeoutMs = 2000;
    static constexpr long kTransferTimeoutMs = 60000;

    TdrvFtp();
    ~TdrvFtp() override;
    TdrvFtp(const TdrvFtp&) = delete;
    TdrvFtp& operator=(const TdrvFtp&) = delete;

    void SetNotify(std::function<void()> notify) { m_notify = std::move(notify); }

    bool Start(const FtpRequest& request) override;
    bool Busy() const override { return m_busy.load(); }
    bool Succeeded() const override { return m_result.load(); }
    void Cancel() override { m_cancel = true; }

    // The transfer itself, in the calling thread; false on any failure. `cancel` is polled while it runs.
    // `bytes`: the bytes that arrived (a download) or were sent.
    static bool Transfer(const FtpRequest& request, const std::atomic<bool>& cancel, QString* error = nullptr,
                         qint64* bytes = nullptr);
    // "ftp://host:port/" followed by the remote path, each byte outside the safe set percent-encoded.
    static QByteArray Url(const FtpRequest& request);
    QString LastError() const override;
    qint64 LastBytes() const override { return m_busy ? 0 : m_bytes; }

private:
    void Join();

    std::function<void()> m_notify;
    std::thread m_worker;
    std::atomic<bool> m_busy{false};
    std::atomic<bool> m_result{false};
    std::atomic<bool> m_cancel{false};
    QString m_error; // written by the worker before busy falls
    qint64 m_bytes = 0;
};

} // namespace qdv
