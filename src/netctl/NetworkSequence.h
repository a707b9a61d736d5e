#pragma once

#include "link/Clock.h"
#include "link/NetworkAttempt.h"
#include "netctl/TmTableXML.h"

#include <QSet>
#include <QString>

#include <optional>

namespace qdv {

class FileTransfer;
class StatusBlock;
class TmTableRemote;
class XmlConnection;
struct JobEntry;

// The network backup sequence: a LAN job done with a network controller's XML exchange and FTP instead
// of the packet protocol. It asks the device what it holds (GetInfo), then moves file by file:
// download = BackUpReady, FTP get; upload = FTP put, PutFinish. Any failure ends it with a code, and the
// link engine then does the same job with the packet protocol.
//
// It is stepped by the link engine (every tick, and at once whenever the connection or a transfer has
// news) and loops within a step as long as it can go on, so it runs as fast as the device answers.
//
// clang-format off
//   state               does                                              next
//   0 Start             clears the file count and index                   1
//   1 JobSetup          the device address (a station's own for kind 3)   2; no station address: fail
//   2 GetInfo           GetInfo request                                   kind 0: 4; 1, 2: 3; 3: 5 or 9
//   3 SingleFile        the job's one file, which the device must list    6 get, 8 put
//   4 NextDeviceFile    Primary: the next listed file of the setup's set  6 get, 8 put; past the end: done
//   5 NextStationFile   the next file of the station                      6 get, 8 put; past the end: 9
//   6 BackUpReady       announces a download                              8
//   7 PutFinish         confirms an upload                                9
//   8 Ftp               the transfer                                      get: 9, put: 7
//   9 FileDone          reports the file or the station                   4, 5, 1 or done
// clang-format on
//
// Request steps (2, 6, 7) have three phases: 0 connect (2 s, slot 5), 1 send the request once the
// connection is up (answer within 60 s, slot 6), 2 the answer is complete when the device closes.
class NetworkSequence final : public NetworkAttempt {
public:
    enum State {
        kStart = 0,
        kJobSetup,
        kGetInfo,
        kSingleFile,
        kNextDeviceFile,
        kNextStationFile,
        kBackUpReady,
        kPutFinish,
        kFtp,
        kFileDone,
    };

    struct Services {
        const Clock& clock;
        StatusBlock& status;
        TmTableRemote& resolver;
        XmlConnection& connection;
        FileTransfer& ftp;
        QString xmlDocFolder;
    };

    explicit NetworkSequence(const Services& services);

    void Begin(const SetupRecord& setup, const PortSettings& ports, Direction direction, JobKind kind,
               TransferJobs& jobs) override;
    int Step() override;
    void Abort() override;
    bool Moved(const QString& path) const override { return m_done.contains(path); }

    State CurrentState() const { return m_state; }
    const TmTableXML& Xml() const { return m_xml; }

private:
    enum class Outcome { kWaiting, kOk, kFailed };

    Outcome RequestStep(TmTableXML::Request request);
    Outcome FtpStep();
    // A step's outcome as the loop's result: running while it waits, the failure when it failed, and
    // nothing when it succeeded and the sequence goes on.
    std::optional<int> Unfinished(Outcome outcome);
    int Fail(int code);
    bool LocalFileMissing() const;
    void ReportFile();
    void TakeFile(const QString& localPath, const QString& remoteName);
    bool NextDeviceFile();
    bool NextStationFile();
    const JobEntry* QueuedSend(const QString& name) const;
    bool StationFileName(const QString& name) const;
    bool FirstListing(const QString& name);
    void RefuseListedName(const QString& name, const QString& why);
    void ReportFailedTransfer(const QString& why, qint64 bytes);
    qint64 AnnouncedSize(const QString& name) const;
    int StationDone();

    StatusBlock& m_status;
    TmTableRemote& m_resolver;
    XmlConnection& m_connection;
    FileTransfer& m_ftp;
    TmTableXML m_xml;
    Countdowns m_slots;

    SetupRecord m_setup;
    PortSettings m_ports;
    TransferJobs* m_jobs = nullptr;
    bool Receiving() const { return m_direction == Direction::Receive; }

    Direction m_direction = Direction::Receive;
    JobKind m_kind = kJobPrimary;

    State m_state = kStart;
    int m_phase = 0;
    int m_fileCount = 0;
    int m_fileIndex = 0;
    bool m_haveFile = false;
    bool m_skipped = false;
    int m_typeCode = 0;    // data type of the Primary file in hand
    int m_station = 0;     // kind 3
    int m_stationCode = 0; // kind 3: 0, or why a file of the station was not moved
    QString m_address;
    QString m_filePath;
    QString m_fileName;
    qint64 m_announced = -1; // the size the device listed for the file in hand; -1: none
    QSet<QString> m_moved;   // names (upper case) of this job or station taken from the listing
    QSet<QString> m_done;    // local paths of the files moved in this job
};

} // namespace qdv
