#pragma once

#include "link/Transport.h"

#include <QByteArray>
#include <QObject>
#include <array>
#include <functional>
#include <mutex>

class QSocketNotifier;

namespace qdv {

// The packet protocol over TCP. It lives in the link engine's thread on a non-blocking socket of its
// own: one notifier wakes the thread when bytes arrive, they are received straight into a chunk of the
// receive queue (at most one record's length each), and the engine is told at once so that it answers
// without waiting for its next tick. Sends go straight to the socket, with TCP_NODELAY so that a small
// record is never held back; what the kernel does not take at once is written as the socket drains.
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

    // The socket of the line, -1 when there is none.
    int SocketDescriptor() const { return m_fd; }

private:
    struct Chunk {
        std::array<char, kChunkSize> data{};
        int count = 0;
        int position = 0;
    };

    void OnReadable();
    void OnWritable();
    // Sets the error text and the line-error flag and stops watching the socket.
    void Fail(int error, const QString& operation);
    void StopWatching();
    void Notify();

    int m_fd = -1;
    bool m_connected = false;
    QSocketNotifier* m_readable = nullptr;
    QSocketNotifier* m_writable = nullptr;
    QByteArray m_unsent; // what the kernel did not take at once, in order
    std::function<void()> m_notify;
    QString m_errorText;
    std::mutex m_mutex; // guards the chunk ring
    std::array<Chunk, kChunks> m_ring;
    int m_write = 0;
    int m_read = 0;
};

} // namespace qdv
