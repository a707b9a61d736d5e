#pragma once

#include <QByteArray>
#include <QString>

// The smallest stop-and-wait client of the packet protocol, as the yardstick the link engine is
// measured against: one blocking TCP connection with TCP_NODELAY, the attention sequence and READY
// before each file, the request (or the start record), one ACK per record, an ETB between files and at
// the end. No task controller, no status block, no queues, no threads, no retries: any surprise is a
// failure. Received files are written the way the backup store must write them (working copy, fsync,
// rename), so that the comparison is of the protocol's handling and not of the disk.
class ReferenceClient {
public:
    ReferenceClient() = default;
    ~ReferenceClient();
    ReferenceClient(const ReferenceClient&) = delete;
    ReferenceClient& operator=(const ReferenceClient&) = delete;

    // Connects to the device at 127.0.0.1:`port`.
    bool Connect(quint16 port);
    // Receives the primary controller file of data type `type` ('1'..'F') into `path`.
    bool ReceiveFile(char type, const QString& path);
    // Sends `path` as the file of data type `type`; `apply` adds the apply record after the end record.
    bool SendFile(char type, const QString& path, bool apply);
    // Closes the connection. Every file ends with an ETB of its own.
    void Close();
    QString Error() const { return m_error; }

private:
    bool Fail(const QString& why);
    bool SendAll(const QByteArray& bytes);
    // The next received byte; false on a closed line or after the guard time.
    bool NextByte(char* c);
    bool Handshake();
    bool ReadRecord(QByteArray* rec);
    bool SendRecord(const QByteArray& rec);

    int m_fd = -1;
    char m_in[4096];
    int m_inCount = 0;
    int m_inPos = 0;
    QString m_error;
};
