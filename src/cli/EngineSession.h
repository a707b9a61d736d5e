#pragma once

#include "convert/TmTableRemote.h"
#include "link/StationTables.h"
#include "link/StatusBlock.h"
#include "secondary/StationDialogModel.h"
#include "store/SetupRecord.h"

#include <QTextStream>
#include <functional>
#include <memory>
#include <optional>

namespace qdv {
class NetworkDeviceTable;
class TRpu16;
class TtskCtrl;
} // namespace qdv

namespace qdv::cli {

class CliContext;

// The link engine of one command, for the jobs a station command runs: a task controller with only the
// link engine, the status block and station tables the engine reports into, the services a station
// dialog's logic runs on, and Ctrl-C (or SIGTERM) taken as a cancel instead of ending the process. Its jobs
// do not take the backup folder's lock: a command whose jobs use the folder holds it (HoldFolder) before it
// makes the session.
class EngineSession {
public:
    // With `devices`, the UDP stage runs too and fills that table (for a device search).
    EngineSession(CliContext& ctx, const SetupRecord& setup, NetworkDeviceTable* devices = nullptr);
    ~EngineSession();
    EngineSession(const EngineSession&) = delete;
    EngineSession& operator=(const EngineSession&) = delete;

    StatusBlock& Status() { return m_status; }
    StationTables& Stations() { return m_stations; }
    // Starts a job through the task controller; false when it is refused.
    bool StartJob(Direction direction, JobKind kind);
    // Queues a discovery request through the task controller; false when refused.
    bool StartNetworkRequest(int entry, int kind);
    // The UDP stage, null without a device table.
    const TRpu16* Udp() const;
    // What a station dialog's logic needs, its jobs started through this session.
    StationDialogServices Services();

    // Waits until the task controller is ready, calls `start` once (false: exit status 1), then calls
    // `poll` every `intervalMs` until it returns an exit status. `poll` is told whether Ctrl-C was
    // pressed since the job started. Ctrl-C before the start ends with 130.
    int Run(const std::function<bool()>& start,
            const std::function<std::optional<int>(bool interrupted)>& poll, int intervalMs = 100);
    // Runs a station job: calls `start` once ready, then follows `core` to its end, printing its message;
    // Ctrl-C cancels the job. The device search that follows Get Z Menu on a LAN setup runs here too,
    // for `searchMs` (0: none). Exit status 0, 1 when the job ended with a message, 130 when cancelled.
    int RunStationJob(StationDialogModel& core, const std::function<bool()>& start, int searchMs = 0);

private:
    CliContext& m_ctx;
    SetupRecord m_setup;
    PortSettings m_ports;
    StatusBlock m_status;
    StationTables m_stations;
    TmTableRemote m_resolver;
    std::unique_ptr<TtskCtrl> m_control;
};

} // namespace qdv::cli
