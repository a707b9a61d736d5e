#include "app/AppModules.h"

#include "history/BackupHistory.h"

namespace qdv {

AppModules::AppModules(const QString& homeFolder, const MenuFont& menuFont)
    : m_files(homeFolder), m_table(m_files, menuFont) {
    m_files.CreateProgramFolders(nullptr);
    history::BackupHistory::Configure(history::BackupHistory::ReadOptions(m_files));
}

AppModules::~AppModules() {
    m_control.reset();
}

TtskCtrl& AppModules::StartTaskController(unsigned services) {
    m_control = std::make_unique<TtskCtrl>(services, m_status, m_stations, m_remote, m_files, m_table.Ports(),
                                           [this] {
                                               const SetupRecord* s = m_table.Current();
                                               return s != nullptr ? *s : SetupRecord();
                                           });
    m_control->AttachDeviceTable(m_devices);
    return *m_control;
}

} // namespace qdv
