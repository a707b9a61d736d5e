#pragma once

#include "app/TtskCtrl.h"
#include "convert/TmTableRemote.h"
#include "discovery/NetworkDeviceTable.h"
#include "link/StationTables.h"
#include "link/StatusBlock.h"
#include "store/TmFile.h"
#include "store/TmTable.h"

#include <memory>

namespace qdv {

// The non-visual modules of the desktop program, made in the order the program starts them: the file
// module, the shared tables (which load the settings), the conversion module and the status block and
// station tables the link engine reports into. The task controller comes last, after the windows, and
// goes first, so that its threads stop before the tables they use are saved and freed.
class AppModules {
public:
    AppModules(const QString& homeFolder, const MenuFont& menuFont);
    ~AppModules();

    AppModules(const AppModules&) = delete;
    AppModules& operator=(const AppModules&) = delete;

    TmFile& Files() { return m_files; }
    TmTable& Table() { return m_table; }
    TmTableRemote& Remote() { return m_remote; }
    StatusBlock& Status() { return m_status; }
    StationTables& Stations() { return m_stations; }
    // The devices found on the LAN, filled by the task controller's UDP stage.
    NetworkDeviceTable& Devices() { return m_devices; }

    // Makes the task controller, which then starts `services` step by step; jobs use the setup
    // selected at the time they start.
    TtskCtrl& StartTaskController(unsigned services = TtskCtrl::kAll);
    TtskCtrl* TaskController() { return m_control.get(); }

private:
    TmFile m_files;
    TmTable m_table;
    TmTableRemote m_remote;
    StatusBlock m_status;
    StationTables m_stations;
    NetworkDeviceTable m_devices;
    std::unique_ptr<TtskCtrl> m_control;
};

} // namespace qdv
