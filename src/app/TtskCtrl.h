#pragma once

#include "store/FolderLock.h"
#include "store/JobKind.h"
#include "store/SetupRecord.h"

#include <QObject>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>

namespace qdv {

class HostedServices;
class NetworkDeviceTable;
class StationTables;
class StatusBlock;
class TRpu16;
class TRst16;
class TmFile;
class TmTableRemote;

// The task controller: starts the background machinery in a fixed order, one step per timer event,
// says when everything is ready, is the one entry through which a transfer job starts, and stops it all
// when it is destroyed. Each step follows the one before as soon as the event loop comes round again;
// the wait for the threads ends when they say they have started (a slow poll stays as a safety net).
//
//   state  action                                                   next
//   0      learn the PC's own addresses                              1 (255 on failure)
//   1      create the services the caller asked for                  4
//   4      resume the UDP thread                                     5
//   5      resume the link engine thread                             9
//   9      wait until the threads report themselves started          10
//   10     ready                                                     -
//   255    failed: nothing runs, every job is refused                -
class TtskCtrl final : public QObject {
    Q_OBJECT

public:
    // What a caller wants started: the desktop program asks for all, the command-line tool only for the
    // link engine.
    enum Service : unsigned { kLinkEngine = 1, kUdp = 2, kHostedServices = 4, kAll = 7 };
    enum State {
        kStateStart = 0,
        kStateThreads = 1,
        kStateUdp = 4,
        kStateEngine = 5,
        kStateWait = 9,
        kStateReady = 10,
        kStateFailed = 255
    };

    // The setup a job works on, asked at each start.
    using SetupSource = std::function<SetupRecord()>;

    TtskCtrl(unsigned services, StatusBlock& status, StationTables& stations, TmTableRemote& resolver,
             const TmFile& files, PortSettings& ports, SetupSource setup, QObject* parent = nullptr);
    ~TtskCtrl() override;

    // The table the UDP stage fills; without one (or without kUdp) there is no UDP stage. Give it
    // before the controller's first step.
    void AttachDeviceTable(NetworkDeviceTable& devices) { m_devices = &devices; }

    // Clears the status block, stores direction and kind, sets busy and posts the job to the link
    // engine. Refused unless ready, the engine thread runs and the kind is a job kind.
    bool StartJob(Direction direction, JobKind kind);
    // The same for a given setup instead of the current one (a read-back into a folder of its own).
    bool StartJob(Direction direction, JobKind kind, const SetupRecord& setup);
    // Queues a discovery request (kind 0..2) for `entry` of the device table (255: none), clearing that
    // entry's answer status. Refused unless ready with a running UDP stage.
    bool StartNetworkRequest(int entry, int kind);
    // The UDP stage, null when it was not asked for or has not been created yet.
    const TRpu16* Udp() const { return m_rpu16.get(); }
    // The hosted SOAP services, null when they were not asked for, are switched off or not yet made.
    const HostedServices* Hosted() const { return m_hosted.get(); }
    // How the jobs started from now on treat their backup folder's lock (by default the engine takes it,
    // waiting up to a minute for another writer).
    void SetFolderLockUse(const FolderLockUse& use) { m_folderLockUse = use; }
    bool Ready() const { return m_state == kStateReady; }
    int State() const { return m_state; }

    // The PC's own IPv4 addresses (at most 10) and the first of them.
    QStringList OwnAddresses() const { return m_ownAddresses; }
    QString OwnAddress() const { return m_ownAddresses.value(0); }

Q_SIGNALS:
    void ReadyReached();
    // A job started through StartJob has ended: busy has fallen.
    void JobEnded();

private:
    void timCtrlTimer();
    void ThreadStarted();
    bool LearnOwnAddresses();

    unsigned m_services;
    StatusBlock& m_status;
    StationTables& m_stations;
    TmTableRemote& m_resolver;
    const TmFile& m_files;
    PortSettings& m_ports;
    SetupSource m_setup;
    FolderLockUse m_folderLockUse;
    QTimer m_timCtrl;
    int m_state = kStateStart;
    QStringList m_ownAddresses;
    std::unique_ptr<TRst16> m_rst16;
    std::unique_ptr<HostedServices> m_hosted;
    NetworkDeviceTable* m_devices = nullptr;
    std::unique_ptr<TRpu16> m_rpu16;
};

} // namespace qdv
