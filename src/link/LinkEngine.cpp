#include "link/LinkEngine.h"

#include "base/CatalogueCodes.h"
#include "convert/TmTableRemote.h"
#include "link/NetworkAttempt.h"
#include "link/StationTables.h"
#include "link/StatusBlock.h"
#include "link/Transport.h"
#include "store/DataFileSet.h"
#include "store/StandardSettingsLayout.h"
#include "store/TmFile.h"

#include <QFileInfo>
#include <utility>

namespace qdv {

namespace {

// Stands in for a serial port when the program has no serial worker: it opens, but never has a line.
class NoSerialWorker final : public Transport {
public:
    bool Open(const LinkTarget&) override { return true; }
    void Close() override {}
    bool Send(QByteArrayView) override { return false; }
    qint64 Read(char*, qint64) override { return 0; }
    bool HasWorker() const override { return false; }
};

// Countdown slots and their lengths in 10 ms units.
constexpr int kSlotConnect = 0, kConnectUnits = 1000;
constexpr int kSlotEndPause = 1, kEndPauseUnits = LinkEngine::kEndPauseMs / Countdowns::kUnitMs;
constexpr int kSlotReady = 2, kReadyUnits = 1000;
constexpr int kSlotAck = 3, kAckUnits = 500;
constexpr int kSlotRecord = 4, kRecordUnits = 200;

// Exchange states.
enum Exchange {
    kOpen = 0,
    kConnectWait = 1,
    kReadyWait = 2,
    kNextFile = 3,
    kDescriptionNames = 4,
    kAliasNames = 5,
    kStationMenu = 6,
    kSecondaryFile = 7,
    kPrimaryFile = 8,
    kEnd = 9,
};

// File states of a receive.
enum ReceiveState { kRequest = 0, kFirstRecord = 2, kData = 3, kAfterEnd = 4 };
// File states of a send; the "Ack" states wait for the answer to the record just sent.
enum SendState {
    kLoad = 0,
    kStartRecord = 1,
    kDataRecord = 2,
    kEndRecord = 3,
    kListRecord = 4,
    kApplyRecord = 5,
    kStartAck = 11,
    kDataAck = 12,
    kEndAck = 13,
    kListAck = 14,
    kApplyAck = 15,
};

// File states of a names transfer to a secondary station.
enum NamesState { kNamesStart = 0, kNamesRecord = 6, kNamesAck = 16 };

constexpr int kRunning = -1;

// The time limit of a file job: a base, and per queued file a minute plus the largest file's size at a
// rate far below the slowest line, so that no device, however it answers, keeps a job running for ever.
constexpr qint64 kJobBaseMs = 10 * 60 * 1000;
constexpr qint64 kFileBaseMs = 60 * 1000;
constexpr qint64 kSlowestBytesPerSecond = 1000;

// The station menu answer lies in this byte range of the standard settings image.
constexpr std::uint32_t kMenuFirst = stdlayout::kStationMenu;
constexpr std::uint32_t kMenuLast = stdlayout::kStationMenu + stdlayout::kStationMenuSize - 1;
constexpr int kMenuBuffer = 2048;
constexpr std::uint32_t kMenuTotal = stdlayout::kImageSize;

// The largest image a data file holds: what the 327680-character send buffer carries.
constexpr std::uint32_t kMaxImageBytes = SendFileReader::kBufferSize / 2;

} // namespace

LinkEngine::LinkEngine(const Services& services)
    : m_s(services), m_jobs(services.status, services.stations, services.resolver), m_slots(services.clock),
      m_noSerial(std::make_unique<NoSerialWorker>()) {}

LinkEngine::~LinkEngine() {
    Shutdown();
}

void LinkEngine::AcceptJob(const SetupRecord& setup, const PortSettings& ports, const FolderLockUse& folder) {
    m_setup = setup;
    m_ports = ports;
    m_folderUse = folder;
    m_folderDeadline = -1;
    m_direction = m_s.status.direction;
    m_kind = m_s.status.jobKind;
    m_jobPending = true;
    m_s.status.busy = true;
}

void LinkEngine::Shutdown() {
    if (m_network != nullptr && m_tick == kNetwork)
        m_network->Abort();
    m_writer.Abort();
    if (m_lineOpen)
        CloseLine();
}

Transport& LinkEngine::Line() {
    if (m_setup.selectLan)
        return m_s.tcp;
    return m_s.serial != nullptr ? *m_s.serial : *m_noSerial;
}

bool LinkEngine::SendBytes(QByteArrayView bytes) {
    return Line().Send(bytes);
}

// The protocol is read a byte at a time; the transport is asked once for all it has.
bool LinkEngine::ReadByte(char* c) {
    if (m_inPos == m_inCount) {
        const qint64 n = Line().Read(m_in.data(), static_cast<qint64>(m_in.size()));
        if (n <= 0)
            return false;
        m_inPos = 0;
        m_inCount = static_cast<int>(n);
        m_inArrived = true;
    }
    *c = m_in[static_cast<std::size_t>(m_inPos++)];
    return true;
}

void LinkEngine::CloseLine() {
    Line().Close();
    DropReadBytes();
    m_lineOpen = false;
}

void LinkEngine::Finish(int code, bool final) {
    if (Receiving() && m_kind <= kJobSecondary) {
        // A file whose transfer did not complete never replaces the stored one.
        m_writer.Abort();
        // Work files left in the folders by earlier runs are swept only while this job holds the folder:
        // then no other writer can be filling one of them.
        if (m_folderUse.heldByCaller || m_folderLock.Held())
            m_s.files.DeleteBackupTemporaries(m_setup);
    }
    if (final) {
        m_jobPending = false;
        m_folderLock.Release();
        m_folderDeadline = -1;
    }
    ReportFiles(code, final);
    m_jobs.Finish(m_kind, code, final, m_entry.typeCode);
}

void LinkEngine::TakeEntry() {
    m_entry = m_jobs.Queue().Pop();
    m_entryOpen = m_kind <= kJobSecondary;
    m_fileDetail.clear();
}

// Books the end of the file in hand and, at the job's end, the files it never reached.
void LinkEngine::ReportFiles(int code, bool final) {
    StatusBlock& st = m_s.status;
    if (m_entryOpen) {
        m_entryOpen = false;
        FileResult r;
        r.path = m_entry.filePath;
        r.code = code;
        r.bytes = code == 0 ? QFileInfo(m_entry.filePath).size() : st.progressPosition.load();
        r.detail = m_fileDetail;
        st.AddFileResult(std::move(r));
    }
    if (!final || m_kind > kJobSecondary)
        return;
    while (!m_jobs.Queue().Empty()) {
        FileResult r;
        r.path = m_jobs.Queue().Pop().filePath;
        r.code = code;
        r.skipped = true;
        st.AddFileResult(std::move(r));
    }
}

void LinkEngine::Tick() {
    StatusBlock& st = m_s.status;
    if (st.abortRequest) {
        if (m_tick == kNetwork && m_network != nullptr)
            m_network->Abort();
        if (m_tick == kExchange || m_tick == kNetwork) {
            if (m_lineOpen && Line().LineUp())
                SendBytes(QByteArrayView(&record::kEtb, 1));
            if (m_lineOpen)
                CloseLine();
            m_exchange = kOpen;
            Line().ClearLineFlags();
        }
        if (m_jobPending || st.busy)
            Finish(msg::kAborted, true);
        m_tick = kIdle;
        st.abortRequest = false;
        return;
    }
    if (m_deadlineMs >= 0 && (m_tick == kExchange || m_tick == kNetwork) &&
        m_s.clock.NowMs() >= m_deadlineMs) {
        EndJobOverTime();
        return;
    }
    switch (m_tick.load()) {
    case kStart:
        m_s.tcp.ClearLineFlags();
        m_jobPending = false;
        m_jobs.Queue().Clear();
        st.busy = false;
        m_tick = kIdle;
        return;
    case kIdle: {
        if (!m_jobPending || !TakeFolder())
            return;
        QString error;
        if (!m_s.resolver.EnsureSetupFolders(m_setup, &error)) {
            st.SetStatusLines(1, error, 0);
            st.SetErrorDetail(error);
            Finish(msg::kFileSize, true);
            return;
        }
        m_jobs.BuildQueue(m_direction, m_kind, m_setup);
        if (m_jobs.Queue().Empty()) {
            m_jobPending = false;
            st.busy = false;
            return;
        }
        m_timeLimitMs = JobTimeLimitMs(m_jobs.Queue());
        m_deadlineMs = m_kind <= kJobSecondary ? m_s.clock.NowMs() + m_timeLimitMs : -1;
        m_tick = kDispatch;
        [[fallthrough]];
    }
    case kDispatch:
        if (m_jobs.Queue().Empty()) {
            Finish(0, true);
            m_tick = kIdle;
            return;
        }
        Line().ClearLineFlags();
        if (m_setup.selectLan && m_kind <= kJobSecondary) {
            if (m_network != nullptr) {
                m_network->Begin(m_setup, m_ports, m_direction, m_kind, m_jobs);
                m_tick = kNetwork;
                StepNetwork();
                return;
            }
            // Without a network controller to talk to, a LAN job goes straight to the packet protocol
            // over TCP, as after a failed network-controller attempt.
            st.SetStatusLines(1, QString(), 0);
            st.SetStatusLines(2, QString(), msg::kTcpConnecting);
        }
        m_exchange = kOpen;
        m_tick = kExchange;
        [[fallthrough]];
    case kExchange:
        if (!StepExchange())
            m_tick = m_jobs.Queue().Empty() ? kIdle : kDispatch;
        return;
    case kNetwork:
        StepNetwork();
        return;
    default:
        return;
    }
}

qint64 LinkEngine::JobTimeLimitMs(const JobQueue& queue) {
    // Every file is allowed the largest size: a network controller may list more than the queue holds.
    const qint64 perFile = kFileBaseMs + datafiles::LargestFileSize() * 1000 / kSlowestBytesPerSecond;
    return kJobBaseMs + queue.Size() * perFile;
}

// The job ran past its time limit: it ends as an abort does, failed, and the files it had not done are
// reported as such.
void LinkEngine::EndJobOverTime() {
    StatusBlock& st = m_s.status;
    if (m_tick == kNetwork && m_network != nullptr)
        m_network->Abort();
    if (m_lineOpen && Line().LineUp())
        SendBytes(QByteArrayView(&record::kEtb, 1));
    if (m_lineOpen)
        CloseLine();
    m_exchange = kOpen;
    Line().ClearLineFlags();
    m_fileDetail = QStringLiteral("the job's time limit of %1 s ran out").arg(m_timeLimitMs / 1000);
    st.SetStatusLines(1, m_fileDetail, 0);
    if (m_kind == kJobSecondary)
        m_s.stations.MarkRemainingFailed();
    Finish(msg::kTimedOut, true);
    m_deadlineMs = -1;
    m_tick = kIdle;
}

// Takes the backup folder's lock for the job; false while another writer holds it (the job then waits,
// saying who in status line 1) and when the wait has run out (the job has then ended, failed).
bool LinkEngine::TakeFolder() {
    // The station menu only reads the device; every other job reads or writes the folder.
    if (m_folderUse.heldByCaller || m_folderLock.Held() || m_kind == kJobStationMenu)
        return true;
    StatusBlock& st = m_s.status;
    const QString job =
        (Receiving() ? QStringLiteral("receiving ") : QStringLiteral("sending ")) + JobKindName(m_kind);
    if (m_folderLock.TryLock(m_setup.backupDataPath, job) != FolderLock::Result::Busy) {
        // A folder that cannot hold the lock file (read-only, missing parent) is used without one: a
        // send from it still works, and a receive fails on its own with the file system's reason.
        if (m_folderDeadline >= 0)
            st.SetStatusLines(1, QString(), 0);
        m_folderDeadline = -1;
        return true;
    }
    const QString text = QStringLiteral("waiting for the backup folder: ") + m_folderLock.Holder();
    const qint64 now = m_s.clock.NowMs();
    if (m_folderDeadline < 0)
        m_folderDeadline = now + m_folderUse.waitMs;
    if (st.Line1() != text)
        st.SetStatusLines(1, text, 0);
    if (now < m_folderDeadline)
        return false;
    st.SetJobFailure(
        QStringLiteral("%1 (gave up after %2 s)").arg(text).arg((m_folderUse.waitMs + 999) / 1000));
    Finish(msg::kFileSize, true);
    return false;
}

// The network-controller attempt of a LAN job: done ends the job with "FTP OK."; a failure hands the
// same job to the packet protocol over TCP.
void LinkEngine::StepNetwork() {
    StatusBlock& st = m_s.status;
    const int code = m_network->Step();
    if (code == NetworkAttempt::kRunning)
        return;
    if (code == 0) {
        st.SetStatusLines(2, QString(), msg::kFtpOk);
        // The attempt booked and logged its files itself; the queue's entries were not left undone.
        m_entry = JobEntry();
        m_entryOpen = false;
        m_jobs.Queue().Clear();
        Finish(0, true);
        m_tick = kIdle;
        return;
    }
    // The files the exchange already moved are left alone; the count of its last transfer is not the
    // packet protocol's.
    JobQueue& queue = m_jobs.Queue();
    std::vector<JobEntry> left;
    while (!queue.Empty()) {
        JobEntry e = queue.Pop();
        if (!m_network->Moved(e.filePath))
            left.push_back(std::move(e));
    }
    for (const JobEntry& e : left)
        queue.Push(e);
    st.SetProgress(0);
    if (queue.Empty()) {
        Finish(0, true);
        m_tick = kIdle;
        return;
    }
    Line().ClearLineFlags();
    st.SetStatusLines(1, QString(), 0);
    st.SetStatusLines(2, QString(), msg::kTcpConnecting);
    m_exchange = kOpen;
    m_tick = kExchange;
    if (!StepExchange())
        m_tick = m_jobs.Queue().Empty() ? kIdle : kDispatch;
}

bool LinkEngine::StepExchange() {
    StatusBlock& st = m_s.status;
    for (;;) {
        if (st.abortRequest)
            return true;
        Transport& line = Line();
        // Line supervision: while a handshake or a file is under way the line must stay up; before
        // that a reported failure counts. The closed line of state 9 is not watched.
        if (m_exchange != kEnd) {
            const bool supervised = m_exchange >= kReadyWait;
            if (supervised ? !line.LineUp() : line.LineError()) {
                line.ClearLineError();
                if (m_exchange <= kReadyWait)
                    return FailBeforeFile(msg::kLineFailure);
                if (m_exchange == kNextFile)
                    EndExchange(msg::kLineFailure);
                else
                    FileEnded(msg::kLineFailure);
                continue;
            }
        }
        switch (m_exchange) {
        case kOpen: {
            line.ClearLineFlags();
            LinkTarget target;
            if (m_setup.selectLan) {
                target.host = m_jobs.Queue().Front().deviceAddress;
                target.port = static_cast<quint16>(m_setup.remote3Port);
            } else {
                target.comPort = m_setup.comPort;
                target.serialDevice = m_ports.SerialDevicePath(m_setup.comPort);
            }
            DropReadBytes();
            if (!line.Open(target)) {
                if (!line.LastErrorText().isEmpty())
                    st.SetStatusLines(1, line.LastErrorText(), 0);
                return FailBeforeFile(msg::kPortNotOpened);
            }
            m_lineOpen = true;
            st.ShowGauge(true, st.progressTotal);
            m_slots.Set(kSlotConnect, kConnectUnits);
            m_exchange = kConnectWait;
            continue;
        }
        case kConnectWait:
            if (!line.HasWorker() || (!line.LineUp() && m_slots.Expired(kSlotConnect))) {
                st.SetStatusLines(1, QString(), 0);
                return FailBeforeFile(msg::kNoConnect);
            }
            if (!line.LineUp())
                return true;
            st.SetStatusLines(1, QString(), 0);
            line.SetAccept(true);
            if (!SendBytes(record::AttentionSequence()))
                return FailBeforeFile(msg::kLineFailure);
            BeginReadyWait();
            m_exchange = kReadyWait;
            continue;
        case kReadyWait:
            switch (ReadyWait()) {
            case Wait::kWaiting:
                return true;
            case Wait::kFailed:
            case Wait::kAbortRecord:
                return FailBeforeFile(msg::kNoReady);
            case Wait::kOk:
                m_exchange = kNextFile;
                continue;
            }
            continue;
        case kNextFile:
            EnterNextFile();
            if (m_exchange == kEnd)
                return true;
            continue;
        case kDescriptionNames:
        case kAliasNames: {
            const int code = StepNames();
            if (code == kRunning)
                return true;
            FileEnded(code);
            continue;
        }
        case kStationMenu:
        case kSecondaryFile:
        case kPrimaryFile: {
            const int code = Receiving() ? StepReceive() : StepSend();
            if (code == kRunning)
                return true;
            if (m_exchange == kStationMenu) {
                if (code == 0) {
                    m_s.stations.ParsePresence(
                        QByteArrayView(m_menu).first(std::min<qsizetype>(512, m_menu.size())));
                    m_s.stations.ParseDeviceTypes(
                        QByteArrayView(m_menu).sliced(std::min<qsizetype>(512, m_menu.size())));
                }
                EndExchange(code);
            } else {
                FileEnded(code);
            }
            continue;
        }
        case kEnd:
            if (!m_slots.Expired(kSlotEndPause))
                return true;
            return ReportEnd();
        default:
            return false;
        }
    }
}

void LinkEngine::EnterNextFile() {
    StatusBlock& st = m_s.status;
    TakeEntry();
    m_fileState = 0;
    const QString display = QFileInfo(m_entry.filePath).fileName();
    st.progressTotal =
        static_cast<std::uint32_t>(m_kind == kJobStationMenu ? kMenuTotal : m_entry.expectedSize);
    st.SetProgress(0);
    const bool exists = QFileInfo::exists(m_entry.filePath);
    switch (m_kind) {
    case kJobPrimary:
    case kJobDescription:
    case kJobCrosspoint:
        if (!Receiving() && !exists) {
            // A queued file that vanished since the queue was built is skipped. It was not sent, so it
            // ends with "Error(File size.)" rather than 0: a Primary file then shows as not transmitted
            // instead of entering the done mask.
            if (!m_jobs.Queue().Empty()) {
                Finish(msg::kFileSize, false);
                m_exchange = kNextFile;
            } else {
                EndExchange(msg::kFileSize);
            }
            return;
        }
        st.SetStatusLines(1, display, 0);
        st.ShowGauge(true, st.progressTotal);
        m_exchange = kPrimaryFile;
        return;
    case kJobSecondary:
        m_s.stations.currentStation = m_entry.station;
        if (Receiving() || exists) {
            m_s.stations.state[static_cast<std::size_t>(m_entry.station)] = StationTables::kInProgress;
            st.SetStatusLines(1, display, 0);
            st.ShowGauge(true, st.progressTotal);
            m_exchange = kSecondaryFile;
            return;
        }
        if (m_setup.selectLan || m_jobs.Queue().Empty()) {
            EndExchange(msg::kFileSize);
        } else {
            Finish(msg::kFileSize, false);
            m_exchange = kNextFile;
        }
        return;
    case kJobStationMenu:
        st.ShowGauge(true, kMenuTotal);
        m_menu.clear();
        m_exchange = kStationMenu;
        return;
    case kJobDescriptionToSecondary:
    case kJobAliasToSecondary:
        // The tables were loaded when the queue was built; a size of 0 means they could not be.
        if (m_entry.expectedSize == 0) {
            EndExchange(msg::kFileSize);
            return;
        }
        st.SetStatusLines(1, display, 0);
        m_exchange = m_kind == kJobDescriptionToSecondary ? kDescriptionNames : kAliasNames;
        return;
    default:
        EndExchange(msg::kFileSize);
        return;
    }
}

void LinkEngine::FileEnded(int code) {
    const bool lan = m_setup.selectLan;
    if (m_exchange == kSecondaryFile) {
        // Over the LAN every station has a connection of its own. On a serial line the first failed
        // station ends the run; the stations after it are marked failed when the exchange reports.
        if (lan || code != 0) {
            EndExchange(code);
            return;
        }
    } else if ((code != 0 && (m_kind == kJobDescription || m_kind == kJobCrosspoint)) ||
               code == msg::kLineFailure) {
        EndExchange(code);
        return;
    }
    if (m_jobs.Queue().Empty()) {
        EndExchange(code);
        return;
    }
    // More files: end this one, and begin the next with a fresh handshake on the open line.
    SendBytes(QByteArrayView(&record::kEtb, 1));
    Finish(code, false);
    m_slots.Set(kSlotConnect, kConnectUnits);
    m_exchange = kConnectWait;
}

void LinkEngine::EndExchange(int code) {
    m_result = code;
    if (m_lineOpen) {
        if (Line().LineUp())
            SendBytes(QByteArrayView(&record::kEtb, 1));
        CloseLine();
    }
    m_slots.Set(kSlotEndPause, kEndPauseUnits);
    m_exchange = kEnd;
}

bool LinkEngine::FailBeforeFile(int code) {
    if (m_lineOpen) {
        if (Line().LineUp())
            SendBytes(QByteArrayView(&record::kEtb, 1));
        CloseLine();
    }
    if (!m_jobs.Queue().Empty()) {
        TakeEntry();
        if (m_kind == kJobSecondary)
            m_s.stations.currentStation = m_entry.station;
    }
    // A port that does not open or a connection the peer refuses: the transport's words say why.
    if (code == msg::kPortNotOpened || code == msg::kLineFailure) {
        m_fileDetail = Line().LastErrorText();
        m_s.status.SetErrorDetail(m_fileDetail);
    }
    m_result = code;
    return ReportEnd();
}

qint64 LinkEngine::EndPauseLeftMs() const {
    return m_exchange == kEnd ? m_slots.LeftMs(kSlotEndPause) : -1;
}

bool LinkEngine::ReportEnd() {
    m_exchange = kOpen;
    const int code = m_result;
    if (m_kind != kJobSecondary || m_jobs.Queue().Empty()) {
        Finish(code, true);
    } else if (m_setup.selectLan || code == 0) {
        Finish(code, false);
    } else {
        m_s.stations.MarkRemainingFailed();
        Finish(code, true);
    }
    return false;
}

// --- waits -------------------------------------------------------------------------------------------

void LinkEngine::BeginReadyWait() {
    m_retry = 0;
    m_readyBuffer.clear();
    m_slots.Set(kSlotReady, kReadyUnits);
}

LinkEngine::Wait LinkEngine::ReadyWait() {
    for (;;) {
        char c;
        if (ReadByte(&c)) {
            if (m_readyBuffer.isEmpty() && c != ':')
                continue;
            m_readyBuffer.append(c);
            if (m_readyBuffer.size() < record::kMinLength)
                continue;
            if (m_readyBuffer == record::FixedRecord(record::Fixed::Ready))
                return Wait::kOk;
            // Anything else of a record's length is a mismatch; it uses the retry like a time-out.
        } else if (!m_slots.Expired(kSlotReady)) {
            return Wait::kWaiting;
        }
        if (m_retry > 0)
            return Wait::kFailed;
        m_retry = 1;
        m_readyBuffer.clear();
        if (!SendBytes(record::AttentionSequence()))
            return Wait::kFailed;
        m_slots.Set(kSlotReady, kReadyUnits);
    }
}

void LinkEngine::BeginAckWait(const QByteArray& record) {
    m_lastSent = record;
    m_ackRecord.clear();
    m_retry = 0;
    m_slots.Set(kSlotAck, kAckUnits);
}

std::optional<int> LinkEngine::AckUnfinished() {
    switch (AckWait()) {
    case Wait::kWaiting:
        return kRunning;
    case Wait::kFailed:
        return msg::kNoAck;
    case Wait::kAbortRecord:
        return msg::kAbortRecord;
    case Wait::kOk:
        break;
    }
    return std::nullopt;
}

LinkEngine::Wait LinkEngine::AckWait() {
    for (;;) {
        char c;
        if (ReadByte(&c)) {
            if (c == record::kAck)
                return Wait::kOk;
            // A station that refuses the data (a disabled one) answers with the abort record instead.
            if (c == ':' || !m_ackRecord.isEmpty()) {
                if (c == ':')
                    m_ackRecord.clear();
                m_ackRecord.append(c);
                const QByteArrayView abort = record::FixedRecord(record::Fixed::Abort);
                if (m_ackRecord.size() >= abort.size()) {
                    const bool aborted = QByteArrayView(m_ackRecord) == abort;
                    m_ackRecord.clear();
                    if (aborted)
                        return Wait::kAbortRecord;
                }
                continue;
            }
            if (c != record::kNak)
                continue;
        } else if (!m_slots.Expired(kSlotAck)) {
            return Wait::kWaiting;
        }
        // A NAK or a time-out: the same record once more, then give up.
        if (m_retry > 0)
            return Wait::kFailed;
        m_retry = 1;
        if (!SendBytes(m_lastSent))
            return Wait::kFailed;
        m_slots.Set(kSlotAck, kAckUnits);
    }
}

void LinkEngine::BeginRecordReceive() {
    m_retry = 0;
    m_parser.Reset();
    m_slots.Set(kSlotRecord, kRecordUnits);
}

LinkEngine::Wait LinkEngine::ReceiveRecord() {
    for (;;) {
        int failure = 0;
        char c;
        if (!ReadByte(&c)) {
            if (!m_slots.Expired(kSlotRecord))
                return Wait::kWaiting;
            failure = msg::kNoPacket;
        } else {
            // The time limit runs from the last arrival, not from each byte of it.
            if (std::exchange(m_inArrived, false))
                m_slots.Set(kSlotRecord, kRecordUnits);
            if (m_parser.Hunting() && c != ':') {
                if (c == record::kNak)
                    failure = msg::kNak;
                else if (c == record::kAck)
                    continue;
                else
                    return Wait::kWaiting; // a stray byte: dropped, the next is read on the next step
            } else {
                switch (m_parser.Feed(c)) {
                case record::Parser::Status::Complete:
                    m_record = m_parser.Record().toByteArray();
                    return Wait::kOk;
                case record::Parser::Status::Error:
                    failure = m_parser.ErrorCode();
                    break;
                default:
                    continue;
                }
            }
        }
        if (m_retry > 0) {
            m_waitCode = failure;
            return Wait::kFailed;
        }
        m_retry = 1;
        Line().ClearErrors();
        if (!SendBytes(QByteArrayView(&record::kNak, 1))) {
            m_waitCode = msg::kLineFailure;
            return Wait::kFailed;
        }
        m_parser.Reset();
        m_slots.Set(kSlotRecord, kRecordUnits);
    }
}

// --- receiving a file --------------------------------------------------------------------------------

int LinkEngine::StepReceive() {
    StatusBlock& st = m_s.status;
    for (;;) {
        if (m_fileState == kRequest) {
            const bool menu = m_kind == kJobStationMenu;
            if (!SendBytes(record::BuildRequest(m_entry.command, m_entry.id, m_entry.typeChar, menu)))
                return msg::kLineFailure;
            m_expectedPn = 0;
            m_workFile = ReceivedFileWriter::WorkFileOf(m_entry.filePath);
            m_writer.SetSizeRule(datafiles::ReceiveRule(QFileInfo(m_entry.filePath).fileName()));
            m_firstWrite = true;
            m_crosspoint = m_entry.typeChar == '2';
            if (m_kind == kJobSecondary)
                m_s.stations.state[static_cast<std::size_t>(m_entry.id)] = StationTables::kInProgress;
            if (!menu)
                st.SetStatusLines(1, QFileInfo(m_entry.filePath).fileName(), 0);
            st.ShowGauge(true, st.progressTotal);
            m_fileState = kFirstRecord;
            BeginRecordReceive();
        }
        switch (ReceiveRecord()) {
        case Wait::kWaiting:
            return kRunning;
        case Wait::kFailed:
        case Wait::kAbortRecord:
            return m_waitCode;
        case Wait::kOk:
            break;
        }
        const int code = HandleReceivedRecord();
        if (code != kRunning)
            return code;
        BeginRecordReceive();
    }
}

int LinkEngine::HandleReceivedRecord() {
    StatusBlock& st = m_s.status;
    const record::View rec(m_record);
    const bool endOfTransfer = rec.Is(record::Fixed::EndOfTransfer);
    // A late READY (the answer to a repeated attention) may still arrive while the file's first records
    // are awaited; it belongs to the handshake, not to the file, and is skipped.
    if (rec.Is(record::Fixed::Ready) &&
        (m_fileState == kFirstRecord || (m_fileState == kData && m_firstData)))
        return kRunning;
    // The abort record (what a disabled station answers) carries PN 0, ID 00 and data type 0: it is
    // known for what it is before the fields are checked against the transfer.
    if (rec.Is(record::Fixed::Abort))
        return msg::kAbortRecord;
    if (!endOfTransfer) {
        if (rec.Pn() != m_expectedPn)
            return msg::kBadPn;
        if (rec.DataType() != m_entry.typeChar)
            return msg::kBadType;
        if (m_kind != kJobSecondary && rec.Id() != 0x01)
            return msg::kBadId;
        const char cmd = rec.Cmd();
        const bool cmdOk = m_fileState == kFirstRecord ? (cmd == '1' || cmd == 'E')
                           : m_fileState == kData      ? (cmd == '2' || cmd == '3' || cmd == 'E')
                                                       : cmd == 'E';
        if (!cmdOk)
            return msg::kBadCmd;
    }
    const char ack = record::kAck;
    if (m_fileState == kFirstRecord && rec.Cmd() == 'E') {
        SendBytes(QByteArrayView(&ack, 1));
        return msg::kAbortRecord;
    }
    if (m_fileState == kAfterEnd) {
        if (endOfTransfer) {
            SendBytes(QByteArrayView(&ack, 1));
            return 0;
        }
        const char nak = record::kNak;
        SendBytes(QByteArrayView(&nak, 1));
        return kRunning;
    }
    const char cmd = rec.Cmd();
    const bool last = cmd == '3' || cmd == 'E';
    if (m_kind == kJobStationMenu) {
        const std::uint32_t oset = rec.Oset();
        if (oset >= kMenuFirst && oset <= kMenuLast && m_menu.size() < kMenuBuffer)
            m_menu.append(
                rec.HData().first(std::min<qsizetype>(rec.HData().size(), kMenuBuffer - m_menu.size())));
        st.SetProgress(std::min<std::uint32_t>(oset + static_cast<std::uint32_t>(rec.Dlen()), kMenuTotal));
    } else {
        // No data file is larger than the send buffer holds; a record reaching beyond that would only
        // make the file a run of filler lines up to its offset (megabytes from a damaged OSET).
        if (rec.Oset() + static_cast<std::uint32_t>(rec.Dlen()) > kMaxImageBytes)
            return msg::kBadOset;
        if (!m_writer.WriteReceivedData(m_firstWrite, m_crosspoint, rec.Dlen(), rec.HData().data(),
                                        rec.Oset(), m_workFile, m_entry.filePath, last)) {
            st.SetStatusLines(1, m_writer.ErrorString(), 0);
            m_fileDetail = m_writer.ErrorString();
            return msg::kFileSize;
        }
        m_firstWrite = false;
        st.SetProgress(static_cast<std::uint32_t>(m_writer.FileSize()));
    }
    if (rec.Dlen() > 0)
        st.SetRecordData(rec.HData());
    if (cmd != '1')
        m_firstData = false;
    m_expectedPn = (m_expectedPn + 1) & 0x0F;
    if (cmd == '1') {
        m_fileState = kData;
        m_firstData = true;
    } else if (cmd == '3') {
        m_fileState = kAfterEnd;
    } else if (cmd == 'E') {
        SendBytes(QByteArrayView(&ack, 1));
        return 0;
    }
    if (!SendBytes(QByteArrayView(&ack, 1)))
        return msg::kLineFailure;
    return kRunning;
}

// --- sending a file ----------------------------------------------------------------------------------

bool LinkEngine::SendRecord(const QByteArray& rec) {
    BeginAckWait(rec);
    return SendBytes(rec);
}

int LinkEngine::StepSend() {
    StatusBlock& st = m_s.status;
    for (;;) {
        switch (m_fileState) {
        case kLoad:
            if (!m_reader.LoadSendFile(m_entry.filePath)) {
                st.SetStatusLines(1, QFileInfo(m_entry.filePath).fileName(), 0);
                return msg::kFileSize;
            }
            m_sendPn = 0;
            m_oset = 0;
            m_charsSent = 0;
            st.SetStatusLines(1, QFileInfo(m_entry.filePath).fileName(), 0);
            st.ShowGauge(true, static_cast<std::uint32_t>(m_reader.DataChars()));
            m_fileState = m_kind == kJobCrosspoint ? kListRecord : kStartRecord;
            continue;
        case kStartRecord:
            if (!SendRecord(record::Build(m_sendPn, '1', m_entry.id, m_entry.typeChar, 0, {})))
                return msg::kLineFailure;
            m_sendPn = (m_sendPn + 1) & 0x0F;
            m_fileState = kStartAck;
            continue;
        case kDataRecord:
        case kListRecord: {
            if (!m_reader.HasMore())
                return msg::kFileSize;
            const QByteArrayView chunk = m_reader.NextChunk();
            const bool list = m_fileState == kListRecord;
            const QByteArray rec =
                list ? record::Build(m_sendPn, 'B', 0x00, '0', 0, chunk)
                     : record::Build(m_sendPn, '2', m_entry.id, m_entry.typeChar, m_oset, chunk);
            if (!SendRecord(rec))
                return msg::kLineFailure;
            m_sendPn = (m_sendPn + 1) & 0x0F;
            m_oset += static_cast<std::uint32_t>(chunk.size() / 2);
            m_charsSent += static_cast<std::uint32_t>(chunk.size());
            st.SetProgress(m_charsSent);
            st.SetRecordData(chunk);
            m_fileState = list ? kListAck : kDataAck;
            continue;
        }
        case kEndRecord:
            if (!SendRecord(record::Build(m_sendPn, '3', m_entry.id, m_entry.typeChar, 0, {})))
                return msg::kLineFailure;
            m_sendPn = (m_sendPn + 1) & 0x0F;
            m_fileState = kEndAck;
            continue;
        case kApplyRecord:
            if (!SendRecord(record::FixedRecord(record::Fixed::Apply).toByteArray()))
                return msg::kLineFailure;
            m_fileState = kApplyAck;
            continue;
        default:
            break;
        }
        if (const auto end = AckUnfinished())
            return *end;
        switch (m_fileState) {
        case kStartAck:
            m_fileState = kDataRecord;
            break;
        case kDataAck:
            m_fileState = m_reader.HasMore() ? kDataRecord : kEndRecord;
            break;
        case kEndAck:
            if (m_kind != kJobDescription)
                return 0;
            m_fileState = kApplyRecord;
            break;
        case kListAck:
            if (!m_reader.HasMore())
                return 0;
            m_fileState = kListRecord;
            break;
        case kApplyAck:
            return 0;
        default:
            return msg::kFileSize;
        }
    }
}

// --- names to a secondary station --------------------------------------------------------------------

// One "7" record at a time, each after the ACK of the one before; the last one marked as such.
int LinkEngine::StepNames() {
    StatusBlock& st = m_s.status;
    for (;;) {
        if (m_fileState == kNamesStart) {
            const auto station = static_cast<std::uint8_t>(m_entry.station);
            const ConversionTables& tables = m_s.resolver.Tables();
            m_names = m_kind == kJobDescriptionToSecondary ? NameRecordWalk(tables.Descriptions(), station)
                                                           : NameRecordWalk(tables.Aliases(), station);
            m_sendPn = 0;
            m_oset = 0;
            m_s.stations.dialogState = 2;
            st.ShowGauge(true, static_cast<std::uint32_t>(m_names.TotalBlocks()));
            m_fileState = kNamesRecord;
        }
        if (m_fileState == kNamesRecord) {
            const QByteArray payload = record::ToHex(m_names.NextPayload());
            if (!SendRecord(record::Build(m_sendPn, '7', 0x00, '0', m_oset, payload)))
                return msg::kLineFailure;
            m_sendPn = (m_sendPn + 1) & 0x0F;
            st.SetProgress(static_cast<std::uint32_t>(m_names.BlocksDone()));
            m_fileState = kNamesAck;
        }
        if (const auto end = AckUnfinished())
            return *end;
        if (!m_names.HasMore())
            return 0;
        m_fileState = kNamesRecord;
    }
}

} // namespace qdv
