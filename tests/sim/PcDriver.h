#pragma once

#include "sim/SimulatedController.h"

#include <QByteArray>
#include <QList>

namespace qdv::sim::test {

// Plays the PC against a SimulatedController, synchronously: every call feeds bytes and returns
// what the controller answered to them.
class PcDriver {
public:
    explicit PcDriver(SimulatedController* controller);

    QByteArray Send(QByteArrayView bytes);
    QByteArray Ack() { return Send(QByteArrayView(&record::kAck, 1)); }
    QByteArray Nak() { return Send(QByteArrayView(&record::kNak, 1)); }
    QByteArray Etb() { return Send(QByteArrayView(&record::kEtb, 1)); }
    // The attention sequence; true when the controller answered exactly READY.
    bool Handshake();

    // Sends a request and ACKs every record until the end-of-transfer or abort record (or silence).
    QList<QByteArray> Fetch(const QByteArray& request);
    // Sends a file as start, data and end records; true when every one was ACKed.
    bool Put(char type, std::uint8_t id, const QByteArray& fileText);

    bool Dropped() const { return m_dropped; }

    // True when `rec` is one whole record that passes the codec's checks.
    static bool IsValidRecord(const QByteArray& rec);
    // The records in controller output (from ':' to line feed); control bytes left out.
    static QList<QByteArray> Records(const QByteArray& out);
    // The file text a receiving PC makes from the data records: each HDATA and CR LF.
    static QByteArray FileText(const QList<QByteArray>& records);

private:
    SimulatedController* m_controller;
    QByteArray m_out;
    bool m_dropped = false;
};

// The text of a data file of `bytes` bytes with a recognisable pattern.
QByteArray DataFileText(int bytes, int seed = 1);

} // namespace qdv::sim::test
