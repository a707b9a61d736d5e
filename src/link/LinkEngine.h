#pragma once

#include "link/Clock.h"
#include "link/NameRecordWalk.h"
#include "link/Record.h"
#include "link/TransferJobs.h"
#include "store/FolderLock.h"
#include "store/ReceivedFileWriter.h"
#include "store/SendFileReader.h"
#include "store/SetupRecord.h"

#include <QByteArray>
#include <array>
#include <atomic>
#include <memory>
#include <optional>

namespace qdv {

class NetworkAttempt;
class StatusBlock;
class StationTables;
class TmFile;
class TmTableRemote;
class Transport;

// The link engine: carries out one transfer job at a time with the primary controller. It expands the
// job into per-file entries, opens the setup's transport, runs the attention/READY handshake and moves
// each file record by record with ACK/NAK, retries and time limits, writing received files through the
// backup store and reporting in the status block.
//
// It is stepped by Tick(): every 10 ms and whenever bytes arrive. A tick never blocks; it takes what the
// transport has and loops as long as the protocol can go on, so a transfer runs as fast as the line.
//
// Outer (tick) states:          Exchange states:
//   0 Start                       0 Open          5 Alias tables to a secondary station
//   1 Idle                        1 Connect wait  6 Station menu receive
//   2 Dispatch                    2 READY wait    7 Secondary station file
//   3 Exchange                    3 Next file     8 Primary controller file
//   5 Network (LAN fallback)      4 Descriptions to a secondary station
//                                                 9 End: pause, then report
class LinkEngine {
public:
    struct Services {
        const Clock& clock;
        Transport& tcp;
        Transport* serial; // null: no serial worker
        StatusBlock& status;
        StationTables& stations;
        TmTableRemote& resolver;
        const TmFile& files;
    };

    enum TickState { kStart = 0, kIdle = 1, kDispatch = 2, kExchange = 3, kNetwork = 5 };
    // The pause between the end of an exchange (line closed) and the report of its result.
    static constexpr int kEndPauseMs = 40;

    explicit LinkEngine(const Services& services);
    ~LinkEngine();
    LinkEngine(const LinkEngine&) = delete;
    LinkEngine& operator=(const LinkEngine&) = delete;

    // The start message: takes direction and kind from the status block and the setup to work on.
    // Unless `folder` says the starter holds it, a job that reads or writes the backup folder first takes
    // the folder's lock; while another writer has it, status line 1 says who, until the lock comes free,
    // the wait runs out (the job then fails with that text) or the operator cancels.
    void AcceptJob(const SetupRecord& setup, const PortSettings& ports, const FolderLockUse& folder = {});
    void Tick();
    // Closes the line of a job that is still running (the program is ending).
    void Shutdown();
    // What a LAN job of kinds 0 to 3 tries first (the network-controller exchange); none: the packet
    // protocol at once.
    void SetNetworkAttempt(NetworkAttempt* attempt) { m_network = attempt; }

    int TickStateNow() const { return m_tick.load(); }
    // While an exchange is in its end pause: the milliseconds until the pause runs out, so that the
    // thread can step the engine at that moment instead of at its next tick; otherwise -1.
    qint64 EndPauseLeftMs() const;
    // The station menu text received by the last station menu job.
    QByteArray MenuBuffer() const { return m_menu; }

private:
    enum class Wait { kWaiting, kOk, kFailed, kAbortRecord };

    bool TakeFolder();
    bool StepExchange();
    void StepNetwork();
    static qint64 JobTimeLimitMs(const JobQueue& queue);
    void EndJobOverTime();
    void EnterNextFile();
    Transport& Line();
    bool SendBytes(QByteArrayView bytes);
    bool ReadByte(char* c);
    void DropReadBytes() { m_inPos = m_inCount = 0; }
    void EndExchange(int code);
    bool FailBeforeFile(int code);
    bool ReportEnd();
    void FileEnded(int code);
    void Finish(int code, bool final);
    void TakeEntry();
    void ReportFiles(int code, bool final);
    void CloseLine();

    void BeginReadyWait();
    Wait ReadyWait();
    void BeginAckWait(const QByteArray& record);
    Wait AckWait();
    // The ACK wait of a send step as the step's result: running while it waits, the failure's code, and
    // nothing once the record is acknowledged.
    std::optional<int> AckUnfinished();
    void BeginRecordReceive();
    Wait ReceiveRecord();

    int StepReceive();
    int StepSend();
    int StepNames();
    int HandleReceivedRecord();
    bool SendRecord(const QByteArray& record);

    Services m_s;
    TransferJobs m_jobs;
    Countdowns m_slots;
    ReceivedFileWriter m_writer;
    SendFileReader m_reader;
    record::Parser m_parser;
    std::unique_ptr<Transport> m_noSerial;
    NetworkAttempt* m_network = nullptr;

    SetupRecord m_setup;
    PortSettings m_ports;
    FolderLockUse m_folderUse;
    FolderLock m_folderLock;
    qint64 m_folderDeadline = -1; // while waiting for the folder: when the wait runs out
    std::atomic<int> m_tick{kStart};
    std::atomic<bool> m_jobPending{false};
    bool Receiving() const { return m_direction == Direction::Receive; }

    Direction m_direction = Direction::Receive;
    JobKind m_kind = kJobPrimary;
    int m_exchange = 0;
    int m_fileState = 0;
    int m_retry = 0;
    int m_result = 0;
    int m_waitCode = 0;
    bool m_lineOpen = false;
    qint64 m_deadlineMs = -1; // when the file job in hand must have ended; -1: none
    qint64 m_timeLimitMs = 0;
    JobEntry m_entry;
    bool m_entryOpen = false; // m_entry is a file whose end is not reported yet
    QString m_fileDetail;     // the system's error text for the file in hand
    QString m_workFile;

    // Receive bookkeeping.
    int m_expectedPn = 0;
    bool m_firstWrite = true;
    bool m_firstData = false; // the start record came, no data record yet
    bool m_crosspoint = false;
    QByteArray m_record;
    QByteArray m_readyBuffer;

    // Bytes taken from the transport in one read and not looked at yet. Emptied whenever the line is
    // opened or closed, as the transport's own queue is.
    std::array<char, record::kMaxLength> m_in{};
    int m_inPos = 0;
    int m_inCount = 0;
    bool m_inArrived = false; // a read brought bytes since the record receiver last looked
    QByteArray m_menu;

    // Send bookkeeping.
    int m_sendPn = 0;
    std::uint32_t m_oset = 0;
    std::uint32_t m_charsSent = 0;
    QByteArray m_lastSent;
    QByteArray m_ackRecord; // a record arriving where an ACK is awaited

    // Names to a secondary station.
    NameRecordWalk m_names;
};

} // namespace qdv
