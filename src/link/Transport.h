#pragma once

#include <QByteArrayView>
#include <QString>
#include <atomic>

namespace qdv {

// Where a transport connects: a TCP address and port, or a serial device.
struct LinkTarget {
    QString host;
    quint16 port = 0;
    QString serialDevice;
    int comPort = 0;
};

// A byte carrier of the packet protocol (TCP or a serial port). It knows nothing of records. No call
// blocks: Open starts connecting, Read returns what has arrived, Send hands bytes to the carrier. The
// line-up and line-error flags tell the link engine how the line is; the transport sets them from its
// own events, the engine clears them.
class Transport {
public:
    virtual ~Transport() = default;

    // Starts opening the line; false when it cannot even be started.
    virtual bool Open(const LinkTarget& target) = 0;
    // Closes the line (an orderly shutdown where the carrier has one). Afterwards the line flags are
    // clear and nothing of the closed line is reported any more.
    virtual void Close() = 0;
    // Sends all of `bytes`; false when the line is not up or the carrier refused.
    virtual bool Send(QByteArrayView bytes) = 0;
    // Takes up to `max` received bytes; 0 when nothing is waiting.
    virtual qint64 Read(char* dst, qint64 max) = 0;
    // Received data are kept only while accepting; bytes that arrive before the handshake are dropped.
    virtual void SetAccept(bool accept) { m_accept = accept; }
    // Clears the carrier's error state before a retry (serial ports); nothing for TCP.
    virtual void ClearErrors() {}
    // False when a serial port has no worker to read it.
    virtual bool HasWorker() const { return true; }
    // The reason of the last failure, for the user ("%s(%d:%s)" style); empty when there is none.
    virtual QString LastErrorText() const { return {}; }

    bool LineUp() const { return m_lineUp.load(); }
    bool LineError() const { return m_lineError.load(); }
    void ClearLineFlags() {
        m_lineUp = false;
        m_lineError = false;
    }
    void ClearLineError() { m_lineError = false; }

protected:
    void SetLineUp(bool up) { m_lineUp = up; }
    void ReportLineError() {
        m_lineError = true;
        m_lineUp = false;
    }
    bool Accepting() const { return m_accept.load(); }

private:
    std::atomic<bool> m_lineUp{false};
    std::atomic<bool> m_lineError{false};
    std::atomic<bool> m_accept{false};
};

} // namespace qdv
