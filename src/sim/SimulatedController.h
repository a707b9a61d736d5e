#pragma once

#include "link/Record.h"
#include "sim/FaultPlan.h"
#include "sim/NameReceiver.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <functional>
#include <map>
#include <vector>

namespace qdv::sim {

// The primary controller's side of the packet protocol, serving and storing the data files of a
// backup folder (Primary/, Name/, XPoint/, ZEBU_nnn.DAT) as if they were its memory.
//
// It is pure and event driven: Receive() takes the bytes the PC sent and everything the controller
// answers goes out through the output callback, at once. No sockets, no timers, so whatever carries
// the bytes (TCP, a pseudo terminal, a test) plugs in from outside.
//
//   state                 entered when                         leaves on
//   Idle                  start, ETB, end of a transfer        the attention record: READY -> Ready
//   Ready                 READY sent                           a request -> Serving; a start record ->
//                                                              ReceivingFile; "B" -> ReceivingCrosspoints;
//                                                              "7" -> ReceivingNames
//   Serving               a request for a file                 the PC's ACK of the end-of-transfer
//                                                              record -> Idle
//   ReceivingFile         the PC's start record                its end record, file written -> FileStored
//   FileStored            a file from the PC is stored         (the apply record is ACKed here)
//   ReceivingCrosspoints  the first "B" record                 ETB or attention: the list is applied
//   ReceivingNames        the first "7" record
//   Stalled               the stall fault                      ETB or attention
//   Dropped               the drop-line fault                  never: the connection is gone
//
// ETB or the attention record end whatever runs: a file half received is dropped, never stored.
class SimulatedController {
public:
    using Output = std::function<void(QByteArray)>;
    using DropLine = std::function<void()>;
    using Log = std::function<void(const QString&)>;

    enum class State {
        Idle,
        Ready,
        Serving,
        ReceivingFile,
        FileStored,
        ReceivingCrosspoints,
        ReceivingNames,
        Stalled,
        Dropped,
    };

    // Largest image a file from the PC may fill: the PC never sends more than its 327680-character
    // send buffer holds. Records reaching beyond it are refused, so a wild OSET cannot make the
    // controller write a file of many megabytes.
    static constexpr std::uint32_t kMaxImageBytes = 163840;

    // `faults` may be null (no faults); it is shared with the controllers of later connections and
    // must outlive this one.
    SimulatedController(QString dataDir, FaultPlan* faults);

    void SetOutput(Output output) { m_output = std::move(output); }
    void SetDropLine(DropLine drop) { m_drop = std::move(drop); }
    // Tells why a request or a file was refused (missing file, damaged file, write failure).
    void SetLog(Log log) { m_log = std::move(log); }

    void Receive(QByteArrayView bytes);
    // The connection ended without an ETB: whatever was under way is dropped, a crosspoint list
    // included, because it cannot be known to be complete.
    void Disconnected();

    State CurrentState() const { return m_state; }
    int NameRecordCount() const { return m_nameRecords; }
    int ApplyRecordCount() const { return m_applyRecords; }

private:
    enum class Step { Start, Data, End, EndOfTransfer };
    struct Chunk {
        std::uint32_t oset = 0;
        QByteArray hdata;
    };
    struct Route {
        std::uint8_t levels = 0;
        int destination = 0;
        std::uint16_t source = 0;
    };

    void OnControl(char c);
    void OnRecord(const QByteArray& rec);
    void EndTransfer(bool apply);
    void Drop();

    // Serving a file to the PC.
    void StartServing(const record::View& request);
    bool LoadChunks(const QString& path, std::vector<Chunk>* chunks);
    bool LoadStationMenu(std::vector<Chunk>* chunks);
    void SendNew(Step step, int index);
    void Transmit();
    void TransmitData();
    void OnAck();

    // Records from the PC.
    bool DataRecordFault(const QByteArray& rec);
    void StartReceivingFile(const record::View& start);
    void OnFileData(const QByteArray& rec);
    void OnFileEnd(const QByteArray& rec);
    void OnCrosspointRecord(const QByteArray& rec);
    void OnNameRecord(const QByteArray& rec);
    bool StationFault(int station);
    bool ApplyCrosspoints();

    QString FileOf(int code, int station) const;
    void Emit(QByteArrayView bytes);
    void Ack() { Emit(QByteArrayView(&record::kAck, 1)); }
    void Nak() { Emit(QByteArrayView(&record::kNak, 1)); }
    void Report(const QString& text);

    QString m_dir;
    FaultPlan m_noFaults;
    FaultPlan* m_faults;
    Output m_output;
    DropLine m_drop;
    Log m_log;
    record::Parser m_parser;
    State m_state = State::Idle;

    // Serving
    std::vector<Chunk> m_chunks;
    std::uint8_t m_id = 0;
    char m_type = '0';
    int m_pn = 0;
    Step m_step = Step::Start;
    int m_index = 0;
    QByteArray m_record; // the record awaiting its ACK, as it should be (faults change only the copy sent)

    // Receiving
    QString m_target;
    std::map<std::uint32_t, QByteArray> m_lines; // HDATA by OSET
    std::vector<Route> m_routes;
    bool m_lastCrosspointAcked = false;
    NameReceiver m_names;
    int m_nameRecords = 0;
    int m_applyRecords = 0;
};

} // namespace qdv::sim
