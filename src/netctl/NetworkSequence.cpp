#include "netctl/NetworkSequence.h"

#include "base/CatalogueCodes.h"
#include "convert/TmTableRemote.h"
#include "link/FileResult.h"
#include "link/StationTables.h"
#include "link/StatusBlock.h"
#include "link/TransferJobs.h"
#include "netctl/FileTransfer.h"
#include "netctl/XmlConnection.h"
#include "store/DataFileSet.h"
#include "store/PathNoCase.h"
#include "store/TmFile.h"

#include <QDir>
#include <QFileInfo>

namespace qdv {

namespace {

// Why a listed name is never written or read here.
constexpr const char* kUnsafeName = "not a plain file name";

// Countdown slots of the exchange and their lengths in 10 ms units.
constexpr int kSlotConnect = 5, kConnectUnits = 200;
constexpr int kSlotAnswer = 6, kAnswerUnits = 6000;

struct StepMessages {
    int connecting;
    int waiting;
    int ok; // 0: none
};

StepMessages MessagesOf(TmTableXML::Request request) {
    switch (request) {
    case TmTableXML::Request::GetInfo:
        return {msg::kSendingGetInfo, msg::kReceivingGetInfo, 0};
    case TmTableXML::Request::BackUpReady:
        return {msg::kFtpConnecting, msg::kReceivingBackupReady, msg::kBackupReadyOk};
    case TmTableXML::Request::PutFinish:
        return {msg::kFtpConnecting, msg::kReceivingPutFinish, msg::kPutFinishOk};
    }
    return {};
}

} // namespace

NetworkSequence::NetworkSequence(const Services& services)
    : m_status(services.status), m_resolver(services.resolver), m_connection(services.connection),
      m_ftp(services.ftp), m_xml(services.xmlDocFolder), m_slots(services.clock) {}

void NetworkSequence::Begin(const SetupRecord& setup, const PortSettings& ports, Direction direction,
                            JobKind kind, TransferJobs& jobs) {
    m_setup = setup;
    m_ports = ports;
    m_direction = direction;
    m_kind = kind;
    m_jobs = &jobs;
    m_state = kStart;
    m_phase = 0;
    m_done.clear();
}

void NetworkSequence::Abort() {
    m_connection.Close();
    m_ftp.Cancel();
    m_state = kStart;
    m_phase = 0;
}

int NetworkSequence::Fail(int code) {
    Abort();
    return code;
}

int NetworkSequence::Step() {
    if (m_jobs == nullptr)
        return msg::kLineFailure;
    for (;;) {
        switch (m_state) {
        case kStart:
            m_fileCount = m_fileIndex = 0;
            m_state = kJobSetup;
            continue;
        case kJobSetup: {
            m_fileCount = m_fileIndex = 0;
            m_haveFile = false;
            m_moved.clear();
            if (m_kind == kJobSecondary) {
                if (m_jobs->Queue().Empty())
                    return 0;
                const JobEntry& e = m_jobs->Queue().Front();
                if (!e.stationAddressPresent || e.stationAddress.isEmpty())
                    return Fail(msg::kLineFailure);
                m_address = e.stationAddress;
                m_station = e.station;
                m_stationCode = 0;
                m_jobs->Stations().currentStation = m_station;
                m_jobs->Stations().state[static_cast<std::size_t>(m_station)] = StationTables::kInProgress;
            } else {
                m_address = m_setup.ipAddress;
            }
            m_status.SetStatusLines(3, QString(), msg::kSendingGetInfo);
            m_phase = 0;
            m_state = kGetInfo;
            continue;
        }
        case kGetInfo:
            if (const auto end = Unfinished(RequestStep(TmTableXML::Request::GetInfo)))
                return *end;
            if (m_kind == kJobSecondary) {
                const QString folder =
                    JoinNoCase(m_setup.backupDataPath, datafiles::StationFolderName(m_station));
                m_fileCount = m_xml.PrepareFileList(true, m_direction, folder);
                if (!Receiving() && m_fileCount == 0)
                    return Fail(msg::kFileSize);
                m_state = m_fileCount > 0 ? kNextStationFile : kFileDone;
            } else if (m_kind == kJobPrimary) {
                m_fileCount = m_xml.PrepareFileList(false, m_direction, QString());
                m_state = kNextDeviceFile;
            } else {
                m_state = kSingleFile;
            }
            continue;
        case kSingleFile: {
            const int code = m_kind == kJobDescription ? datafiles::kNme : datafiles::kXpt;
            const FileTarget t = m_resolver.ReceiveTarget(m_setup, m_kind, 0, code);
            QDir().mkpath(QFileInfo(t.path).absolutePath());
            TakeFile(t.path, datafiles::FileName(code));
            if (!m_xml.FileKnown(m_fileName))
                return Fail(msg::kFileSize);
            m_announced = Receiving() ? AnnouncedSize(m_fileName) : -1;
            // The job's queue was built from a file that was there; one that vanished since is left to
            // the packet protocol, which reports it.
            if (!Receiving() && LocalFileMissing())
                return Fail(msg::kFileSize);
            m_phase = 0;
            m_state = Receiving() ? kBackUpReady : kFtp;
            continue;
        }
        case kNextDeviceFile:
            if (!NextDeviceFile())
                return 0;
            continue;
        case kNextStationFile:
            if (!NextStationFile())
                m_state = kFileDone;
            continue;
        case kBackUpReady:
        case kPutFinish: {
            const bool ready = m_state == kBackUpReady;
            if (const auto end = Unfinished(
                    RequestStep(ready ? TmTableXML::Request::BackUpReady : TmTableXML::Request::PutFinish)))
                return *end;
            m_phase = 0;
            m_state = ready ? kFtp : kFileDone;
            continue;
        }
        case kFtp:
            if (const auto end = Unfinished(FtpStep()))
                return *end;
            m_phase = 0;
            m_state = Receiving() ? kFileDone : kPutFinish;
            continue;
        case kFileDone:
            if (m_haveFile)
                ReportFile();
            if (m_kind == kJobPrimary) {
                if (m_haveFile) {
                    m_status.SetProgress(m_status.progressTotal);
                    m_jobs->Finish(m_kind, m_skipped ? msg::kFileSize : 0, false, m_typeCode);
                }
                m_haveFile = false;
                m_state = kNextDeviceFile;
                continue;
            }
            if (m_kind == kJobSecondary) {
                m_haveFile = false;
                if (m_fileIndex < m_fileCount) {
                    m_state = kNextStationFile;
                    continue;
                }
                const int code = StationDone();
                if (code != kRunning)
                    return code;
                continue;
            }
            return 0;
        }
    }
}

// --- files ------------------------------------------------------------------------------------------

void NetworkSequence::TakeFile(const QString& localPath, const QString& remoteName) {
    m_filePath = localPath;
    m_fileName = remoteName;
    m_skipped = false;
    m_haveFile = true;
}

// Logs the end of the file in hand for whoever watches the job.
void NetworkSequence::ReportFile() {
    FileResult r;
    r.path = m_filePath;
    r.code = m_skipped ? msg::kFileSize : 0;
    r.skipped = m_skipped;
    r.bytes = m_skipped ? 0 : QFileInfo(m_filePath).size();
    if (!m_skipped)
        m_done.insert(m_filePath);
    m_status.AddFileResult(std::move(r));
}

qint64 NetworkSequence::AnnouncedSize(const QString& name) const {
    for (int i = 1; i <= m_xml.FileCount(); ++i) {
        if (m_xml.File(i)->name == name)
            return m_xml.File(i)->size;
    }
    return -1;
}

bool NetworkSequence::LocalFileMissing() const {
    return TmFile::GetFileSize(m_filePath) <= 0;
}

// A name the device listed that cannot be moved: it counts as not moved, with the reason.
void NetworkSequence::RefuseListedName(const QString& name, const QString& why) {
    FileResult r;
    r.listedName = name;
    r.code = msg::kFileSize;
    r.skipped = true;
    r.detail = why;
    m_status.AddFileResult(std::move(r));
}

// True the first time a name comes up in this job (without regard to case, as local names are found):
// a listing that names a file twice moves it once.
bool NetworkSequence::FirstListing(const QString& name) {
    const QString key = name.toUpper();
    if (m_moved.contains(key))
        return false;
    m_moved.insert(key);
    return true;
}

// Primary, the next file the device lists. A receive takes every listed file but the description file
// and the Primary files the setup leaves out, so that nothing the device keeps for its backup is lost;
// names that are no plain file name are reported, never written. A send moves exactly the files the
// send queue accepted (the same check as the packet protocol's), where the device lists them.
bool NetworkSequence::NextDeviceFile() {
    while (++m_fileIndex <= m_fileCount) {
        const TmTableXML::DeviceFile* f = m_xml.File(m_fileIndex);
        if (f == nullptr || !FirstListing(f->name))
            continue;
        if (!f->usable) {
            if (Receiving())
                RefuseListedName(f->name, QString::fromLatin1(kUnsafeName));
            continue;
        }
        const int code = TmTableRemote::DataTypeOfFileName(f->name);
        const bool known = code != 0 && f->name.compare(datafiles::FileName(code), Qt::CaseInsensitive) == 0;
        if (known && code == datafiles::kNme)
            continue;
        const std::uint8_t bit = known ? datafiles::PrimaryDoneBit(code) : 0;
        if (bit != 0 && (bit & m_setup.primaryBackupFiles) == 0)
            continue;
        QString path = JoinNoCase(TmTableRemote::PrimaryFolder(m_setup), f->name);
        if (!Receiving()) {
            const JobEntry* queued = QueuedSend(f->name);
            if (queued == nullptr)
                continue;
            path = queued->filePath;
        }
        TakeFile(path, f->name);
        m_announced = f->size;
        m_typeCode = known ? code : 0;
        m_status.SetStatusLines(1, m_filePath, 0);
        m_status.ShowGauge(true, f->size);
        if (!Receiving() && LocalFileMissing()) {
            m_skipped = true;
            m_state = kFileDone;
            return true;
        }
        m_phase = 0;
        m_state = Receiving() ? kBackUpReady : kFtp;
        return true;
    }
    return false;
}

// The send queue's entry for a file name; null when the queue did not accept that file.
const JobEntry* NetworkSequence::QueuedSend(const QString& name) const {
    const JobQueue& queue = m_jobs->Queue();
    for (int i = 0; i < queue.Size(); ++i) {
        const JobEntry& e = queue.At(i);
        if (QFileInfo(e.filePath).fileName().compare(name, Qt::CaseInsensitive) == 0)
            return &e;
    }
    return nullptr;
}

// Whether a listed name belongs in a station's folder: a plain name with the station's own prefix and
// the extension of a data file, as the station's folder is read when it is sent back.
bool NetworkSequence::StationFileName(const QString& name) const {
    return TmTableXML::IsBareFileName(name) &&
           name.startsWith(datafiles::StationFolderName(m_station), Qt::CaseInsensitive) &&
           (name.endsWith(QLatin1String(".DAT"), Qt::CaseInsensitive) ||
            name.endsWith(QLatin1String(".DAU"), Qt::CaseInsensitive));
}

bool NetworkSequence::NextStationFile() {
    while (++m_fileIndex <= m_fileCount) {
        const TmTableXML::DeviceFile* f = m_xml.File(m_fileIndex);
        if (f == nullptr || !FirstListing(f->name))
            continue;
        // A receive writes only the station's own data files; a send takes the folder's files as it
        // finds them.
        if (Receiving() ? !StationFileName(f->name) : !f->usable) {
            // Never written nor read: the file counts as not moved.
            m_stationCode = msg::kFileSize;
            RefuseListedName(f->name, f->usable
                                          ? QStringLiteral("not a data file of station %1").arg(m_station)
                                          : QString::fromLatin1(kUnsafeName));
            continue;
        }
        const QString folder = JoinNoCase(m_setup.backupDataPath, datafiles::StationFolderName(m_station));
        TakeFile(JoinNoCase(folder, f->name), f->name);
        m_announced = Receiving() ? f->size : -1;
        m_status.SetStatusLines(1, m_filePath, 0);
        if (!Receiving() && LocalFileMissing())
            continue;
        QString error;
        if (Receiving() && !m_resolver.EnsureStationFolder(m_setup, m_station, &error)) {
            // Nothing can be stored for this station: it fails, with the reason, and is not retried.
            m_stationCode = msg::kFileSize;
            m_haveFile = false;
            FileResult r;
            r.path = m_filePath;
            r.code = msg::kFileSize;
            r.detail = error;
            m_status.AddFileResult(std::move(r));
            continue;
        }
        m_phase = 0;
        m_state = Receiving() ? kBackUpReady : kFtp;
        return true;
    }
    return false;
}

// A station's files are all done: it is reported, and the next queued station follows. The last one
// leaves no current station, so that the end of the job books no station again.
int NetworkSequence::StationDone() {
    m_jobs->Stations().currentStation = m_station;
    if (!m_jobs->Queue().Empty())
        m_jobs->Queue().Pop();
    m_jobs->Finish(kJobSecondary, m_stationCode, false, datafiles::kStationDat);
    if (m_jobs->Queue().Empty()) {
        m_jobs->Stations().currentStation = 0;
        return 0;
    }
    m_state = kJobSetup;
    return kRunning;
}

// --- steps ------------------------------------------------------------------------------------------

std::optional<int> NetworkSequence::Unfinished(Outcome outcome) {
    if (outcome == Outcome::kWaiting)
        return kRunning;
    if (outcome == Outcome::kFailed)
        return Fail(msg::kLineFailure);
    return std::nullopt;
}

NetworkSequence::Outcome NetworkSequence::RequestStep(TmTableXML::Request request) {
    const StepMessages messages = MessagesOf(request);
    switch (m_phase) {
    case 0: {
        const int port = request == TmTableXML::Request::GetInfo ? m_ports.getInfoPort : m_xml.ConfigPort();
        if (port <= 0 || port > 65535 || !m_connection.Open(m_address, static_cast<quint16>(port)))
            return Outcome::kFailed;
        m_status.SetStatusLines(2, QString(), messages.connecting);
        m_slots.Set(kSlotConnect, kConnectUnits);
        m_phase = 1;
        [[fallthrough]];
    }
    case 1: {
        const XmlConnection::State state = m_connection.CurrentState();
        if (state == XmlConnection::State::Connecting)
            return m_slots.Expired(kSlotConnect) ? Outcome::kFailed : Outcome::kWaiting;
        if (state != XmlConnection::State::Up)
            return Outcome::kFailed; // refused: no need to wait out the time limit
        QByteArray bytes;
        if (!m_xml.BuildRequest(request, m_fileName, &bytes) || !m_connection.Send(bytes))
            return Outcome::kFailed;
        m_status.SetStatusLines(2, QString(), messages.waiting);
        m_slots.Set(kSlotAnswer, kAnswerUnits);
        m_phase = 2;
        [[fallthrough]];
    }
    case 2: {
        const XmlConnection::State state = m_connection.CurrentState();
        if (state == XmlConnection::State::Up || state == XmlConnection::State::Connecting)
            return m_slots.Expired(kSlotAnswer) ? Outcome::kFailed : Outcome::kWaiting;
        const QByteArray answer = m_connection.Answer();
        m_connection.Close();
        if (answer.isEmpty() || !m_xml.AcceptResponse(request, answer))
            return Outcome::kFailed;
        if (messages.ok != 0)
            m_status.SetStatusLines(2, QString(), messages.ok);
        m_phase = 0;
        return Outcome::kOk;
    }
    default:
        return Outcome::kFailed;
    }
}

NetworkSequence::Outcome NetworkSequence::FtpStep() {
    if (m_phase == 0) {
        FtpRequest r;
        r.direction = m_direction;
        r.host = m_address;
        r.port = m_ports.ftpPort;
        r.user = m_ports.ftpUser;
        r.password = m_ports.ftpPassword;
        r.localPath = m_filePath;
        r.remotePath = m_xml.RemoteDir() + QLatin1Char('/') + m_fileName;
        r.rule = datafiles::ReceiveRule(QFileInfo(m_filePath).fileName());
        r.announced = m_announced;
        // A transfer that cannot start fails the step at once rather than after the time limit.
        if (!m_ftp.Start(r)) {
            ReportFailedTransfer(QStringLiteral("the transfer could not be started"), 0);
            return Outcome::kFailed;
        }
        m_slots.Set(kSlotAnswer, kAnswerUnits);
        m_phase = 1;
    }
    if (m_ftp.Busy()) {
        if (!m_slots.Expired(kSlotAnswer))
            return Outcome::kWaiting;
        ReportFailedTransfer(QStringLiteral("no end of the transfer within %1 s").arg(kAnswerUnits / 100), 0);
        return Outcome::kFailed;
    }
    m_phase = 0;
    if (m_ftp.Succeeded())
        return Outcome::kOk;
    ReportFailedTransfer(m_ftp.LastError(), m_ftp.LastBytes());
    return Outcome::kFailed;
}

// The file in hand failed over FTP: its own line says so, with what it moved, before the packet
// protocol takes over the job.
void NetworkSequence::ReportFailedTransfer(const QString& why, qint64 bytes) {
    if (!m_haveFile)
        return;
    m_haveFile = false;
    FileResult r;
    r.path = m_filePath;
    r.code = msg::kFileSize;
    r.bytes = bytes;
    r.detail = why.isEmpty() ? QStringLiteral("FTP transfer failed") : why;
    m_status.AddFileResult(std::move(r));
}

} // namespace qdv
