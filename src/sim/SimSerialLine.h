#pragma once

#include "sim/DeadlineTimer.h"
#include "sim/FaultPlan.h"
#include "sim/LinePacer.h"
#include "sim/SimulatedController.h"

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

namespace qdv::sim {

// Carries the simulated controller over a serial line: a pseudo-terminal pair whose far end is linked
// at a path of the caller's choice, so that a serial setup naming that path talks to the controller as
// to a device on a COM port. Optionally paced to a bit rate: what the controller sends reaches the PC,
// and what the PC sends reaches the controller, no faster than an 8N1 line of that rate carries it.
//
// The PC opening and closing the port is like a cable being plugged and pulled: a close ends whatever
// transfer was under way. Dropping the line (the drop-line fault) closes the pair for good, so the PC
// sees its port vanish; a new pair is then linked at the same path for the next job.
class SimSerialLine : public QObject {
    Q_OBJECT
public:
    // Called after each ETB from the PC with the bytes that crossed the line so far in each direction.
    using TransferEnded = std::function<void(qint64 in, qint64 out)>;

    SimSerialLine(QString dataDir, FaultPlan* faults, int bitRate, QObject* parent = nullptr);
    ~SimSerialLine() override;

    // Opens the pair and links its far end at `linkPath`, replacing an old link there (a previous
    // simulator's) but nothing else.
    bool Open(const QString& linkPath, QString* error);
    // The device the link points to (/dev/pts/N).
    QString DeviceName() const { return m_device; }
    void SetTransferEnded(TransferEnded ended) { m_transferEnded = std::move(ended); }

private:
    bool OpenPair(QString* error);
    void ClosePair();
    void ResetLine();
    void DropLine();
    void StartController();
    void Output(const QByteArray& bytes);
    void PumpOut();
    void PumpIn();
    void Deliver(const char* data, qint64 count);
    void PortClosedByPc();
    void CheckPcOpened();
    // When the pacer next lets bytes through: a millisecond's worth at a time, the last of a burst
    // exactly when it has crossed.
    qint64 NextBatchNs(const LinePacer& pacer) const;
    static qint64 NowNs();

    QString m_dir;
    FaultPlan* m_faults;
    int m_rate;
    QString m_link;
    QString m_device;
    int m_master = -1;
    std::unique_ptr<QSocketNotifier> m_readable;
    std::unique_ptr<QSocketNotifier> m_writable;
    DeadlineTimer m_outTimer;
    DeadlineTimer m_inTimer;
    QTimer m_pcWatch; // while no PC has the port open
    LinePacer m_outPacer;
    LinePacer m_inPacer;
    QByteArray m_out;        // bytes the controller sent that are not yet written
    qint64 m_outCleared = 0; // of those, bytes that have crossed the line and may be written
    qint64 m_inQueued = 0;   // bytes waiting in the pair that the input pacer already counts
    bool m_pcOpen = false;
    std::unique_ptr<SimulatedController> m_controller;
    TransferEnded m_transferEnded;
    qint64 m_bytesIn = 0;
    qint64 m_bytesOut = 0;
};

} // namespace qdv::sim
