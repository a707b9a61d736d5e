#pragma once

#include "store/FolderLock.h"
#include "store/SetupRecord.h"

#include <QObject>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>

namespace qdv {

class LinkEngine;
class NetworkSequence;
class SteadyClock;
class StationTables;
class StatusBlock;
class TcpTransport;
class TcpXmlConnection;
class TdrvFtp;
class TSerialThread;
class TmFile;
class TmTableRemote;
class Transport;

// The link engine's thread, where the engine is put together with its transports (TCP, serial) and the
// network-controller exchange it tries first on a LAN. The engine, its TCP transport and its 10 ms
// timer live in this thread; the engine is also stepped at once whenever a transport has news, so a
// transfer is not held to one record per tick. The serial transport's worker has a thread of its own
// and asks for a step through a queued call. Other threads talk to it only through the status block
// and PostStart.
class TRst16 final : public QObject {
    Q_OBJECT

public:
    TRst16(StatusBlock& status, StationTables& stations, TmTableRemote& resolver, const TmFile& files);
    ~TRst16() override;

    // Starts the thread; the engine reports itself through Started() and StartedReached() once it has
    // left its start state.
    void Start();
    // Ends the thread after the tick it is in; a job still running is not finished, its line is closed.
    void Stop();
    bool Started() const { return m_started.load(); }
    bool Running() const { return m_thread.isRunning(); }

    // The start message: the status block already holds direction and kind.
    void PostStart(const SetupRecord& setup, const PortSettings& ports, const FolderLockUse& folder = {});

Q_SIGNALS:
    // Emitted from the engine thread: once when the engine has left its start state, and whenever a
    // job has ended (busy fell), so that a watcher need not poll to learn it.
    void StartedReached();
    void JobEnded();

private:
    void Setup();
    void Teardown();
    void Step();
    // A notifier for a worker on another thread: posts one step to the engine thread, and while that
    // step waits, further notifications add nothing (`posted` says one is waiting).
    std::function<void()> QueuedStep(std::atomic<bool>& posted);

    StatusBlock& m_status;
    StationTables& m_stations;
    TmTableRemote& m_resolver;
    const TmFile& m_files;
    QThread m_thread;
    QObject* m_context = nullptr; // lives in the engine thread; queued calls go through it
    std::unique_ptr<SteadyClock> m_clock;
    TcpTransport* m_tcp = nullptr;
    std::unique_ptr<TSerialThread> m_serial;
    std::atomic<bool> m_serialStepPosted{false};
    // The network-controller exchange a LAN job tries first; FTP transfers run in a worker of their
    // own and ask for a step through a queued call when they end.
    TcpXmlConnection* m_xmlConnection = nullptr;
    std::unique_ptr<TdrvFtp> m_ftp;
    std::atomic<bool> m_ftpStepPosted{false};
    std::unique_ptr<NetworkSequence> m_network;
    std::unique_ptr<LinkEngine> m_engine;
    std::atomic<bool> m_started{false};
    bool m_stepping = false;
    QTimer* m_endPauseTimer = nullptr; // steps the engine when an exchange's end pause runs out
};

} // namespace qdv
