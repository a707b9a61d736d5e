#pragma once

#include "link/ByteRing.h"
#include "link/ModemLines.h"
#include "link/Transport.h"

#include <QString>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace qdv {

// The packet protocol over a serial port: an RS-232C port, a USB adapter or a pseudo terminal, raw 8N1,
// DTR and RTS on, no flow control, opened exclusively. A worker thread waits on the port and moves what
// arrives into a 1024-byte ring the moment it arrives, then tells the engine; the engine takes from the
// ring and writes to the port from its own thread, never waiting on the line.
//
// The line fails (line error set, line down) when the far end vanishes (an adapter unplugged, the other
// side of a pseudo terminal closed), when the carrier falls while DSR was on, when the ring has no room
// for what arrived, and when the port refuses a write. A failure holds until the port is closed: a line
// that comes back by itself may still have lost bytes in between.
class TSerialThread final : public Transport {
public:
    static constexpr int kRingSize = 1024;
    static constexpr quint32 kBaudRate = 38400;

    TSerialThread();
    ~TSerialThread() override;
    TSerialThread(const TSerialThread&) = delete;
    TSerialThread& operator=(const TSerialThread&) = delete;

    // Called in the worker thread when bytes were queued or the line failed; set it before the first
    // OpenPort. It must not call into this object: it only arranges for the engine to step in its own
    // thread.
    void SetNotify(std::function<void()> notify) { m_notify = std::move(notify); }

    bool OpenPort(const QString& device, quint32 baud);
    // The worker closes the port; a following OpenPort waits for that.
    void RequestClose();
    qint64 ReadBytes(char* dst, qint64 max);
    bool WriteBytes(QByteArrayView bytes);
    bool IsLineUp() const { return LineUp(); }

    bool Open(const LinkTarget& target) override { return OpenPort(target.serialDevice, kBaudRate); }
    void Close() override { RequestClose(); }
    bool Send(QByteArrayView bytes) override { return WriteBytes(bytes); }
    qint64 Read(char* dst, qint64 max) override { return ReadBytes(dst, max); }
    void ClearErrors() override;
    bool HasWorker() const override { return m_worker.joinable(); }
    QString LastErrorText() const override;

    // Opens `device` and sets it up for the line; the descriptor, or -1 with the reason in `error`
    // ("%s(%d:%s)" as LastErrorText gives it). Needs no worker, so a test can run it as another user.
    static int OpenDevice(const QString& device, quint32 baud, QString* error);
    // Whether an error text of a failed open says the user may not use the device.
    static bool IsPermissionFailure(const QString& errorText);
    // Whether another program holds `device` the way this transport does (its lock, or exclusive use).
    // A device that cannot be opened for any other reason is not busy: the job says why it fails.
    static bool LineBusy(const QString& device);

private:
    void Execute();
    void Wake();
    void ClosePort(int fd);
    void ReadPort(int fd);
    void WatchModemLines(int fd);
    void Fail(const QString& text);
    void Notify();

    mutable std::mutex m_mutex; // the ring and the port state below
    std::condition_variable m_closeDone;
    ByteRing<kRingSize> m_ring;
    int m_fd = -1;
    bool m_portOpen = false; // open for the engine: its reads, writes and failures count
    bool m_closeRequested = false;
    bool m_terminated = false;
    bool m_failed = false;
    bool m_hasModemLines = false;
    ModemLines m_modem;
    QString m_errorText;
    std::function<void()> m_notify;
    int m_wake[2] = {-1, -1};
    std::thread m_worker;
};

} // namespace qdv
