#pragma once

#include "link/Transport.h"

#include <QObject>
#include <QPointer>
#include <array>
#include <functional>
#include <mutex>

class QTcpSocket;

namespace qdv {

// The packet protocol over TCP. It lives in the link engine's thread: the socket's events arrive in
// that thread's event loop, received data are queued in chunks of at most one record's length, and the
// engine is told at once so that it answers without waiting for its next tick.
class TcpTransport final : public QObject, public Transport {
    Q_OBJECT

public:
    static constexpr int kChunks = 100;
    static constexpr int kChunkSize = 275;

    explicit TcpTransport(QObject* parent = nullptr);
    ~TcpTransport() override;

    // Called whenever bytes were queued or the line changed.
    void SetNotify(std::function<void()> notify) { m_notify = std::move(notify); }

    bool Open(const LinkTarget& target) override;
    void Close() override;
    bool Send(QByteArrayView bytes) override;
    qint64 Read(char* dst, qint64 max) override;
    QString LastErrorText() const override { return m_errorText; }

private:
    struct Chunk {
        std::array<char, kChunkSize> data{};
        int count = 0;
        int position = 0;
    };

    void OnReadyRead();
    void OnError();
    void Fail(const QString& operation);
    void Notify();

    QPointer<QTcpSocket> m_socket;
    std::function<void()> m_notify;
    QString m_errorText;
    std::mutex m_mutex; // guards the chunk ring
    std::array<Chunk, kChunks> m_ring;
    int m_write = 0;
    int m_read = 0;
};

} // namespace qdv
