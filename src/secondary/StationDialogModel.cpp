#include "secondary/StationDialogModel.h"

#include "link/StationTables.h"
#include "link/StatusBlock.h"
#include "link/TransferJobs.h"
#include "store/TmFile.h"

namespace qdv {

StationDialogModel::StationDialogModel(StationDialogServices services, StatusWords words)
    : m_s(std::move(services)), m_words(words) {}

void StationDialogModel::Show() {
    m_state.fill(0);
    m_result.fill(0);
    m_current = 0;
    if (!m_s.files.LoadStationList(m_s.setup, m_list))
        m_s.files.ClearStationList(m_s.setup, m_list);
    SaveList();
    m_mode = kIdle;
}

void StationDialogModel::TakeJobFailure(PollResult& r) const {
    const QString why = m_s.status.JobFailure();
    if (why.isEmpty())
        return;
    r.message = 0;
    r.messageText = why;
}

bool StationDialogModel::SaveList(QString* error) const {
    return m_s.files.SaveStationList(m_s.setup, m_list, error);
}

bool StationDialogModel::JobBusy() const {
    return m_s.status.busy;
}

StatusCell StationDialogModel::Cell(int id) const {
    return StationStatusCell(m_state[Index(id)], m_result[Index(id)], m_words, m_blink);
}

void StationDialogModel::TakeSnapshot() {
    for (std::size_t i = 0; i < m_state.size(); ++i) {
        m_state[i] = m_s.stations.state[i];
        m_result[i] = m_s.stations.result[i];
    }
    m_current = m_s.stations.currentStation;
}

bool StationDialogModel::SnapshotDiffers() const {
    for (std::size_t i = 0; i < m_state.size(); ++i) {
        if (m_state[i] != m_s.stations.state[i] || m_result[i] != m_s.stations.result[i])
            return true;
    }
    return m_current != m_s.stations.currentStation;
}

void StationDialogModel::MarkCancelled() {
    for (int id = StationList::kFirst; id <= StationList::kLast; ++id) {
        const std::size_t i = Index(id);
        if (m_state[i] == StationTables::kChosen || m_state[i] == StationTables::kInProgress) {
            m_state[i] = m_s.stations.state[i] = StationTables::kCancelled;
            m_result[i] = m_s.stations.result[i] = StationTables::kSuccess;
        }
    }
    m_blink = true;
}

bool StationDialogModel::StartGetZMenu() {
    m_s.files.ClearStationList(m_s.setup, m_list);
    m_s.stations.ClearMenu();
    m_s.status.Clear();
    m_cancelPressed = false;
    m_zMenuDone = false;
    if (!m_s.startJob(Direction::Receive, kJobStationMenu))
        return false;
    m_mode = kZMenu;
    return true;
}

void StationDialogModel::ListClear() {
    m_s.files.ClearStationList(m_s.setup, m_list);
    SaveList();
}

void StationDialogModel::Cancel() {
    if (!m_s.status.busy)
        return;
    m_s.status.abortRequest = true;
    m_cancelPressed = true;
}

StationDialogModel::PollResult StationDialogModel::Poll() {
    switch (m_mode) {
    case kZMenu:
        return PollZMenu();
    case kRun:
        return PollRun();
    default:
        return {};
    }
}

StationDialogModel::PollResult StationDialogModel::PollZMenu() {
    PollResult r;
    if (m_s.status.busy)
        return r;
    r.ended = true;
    if (m_cancelPressed) {
        m_cancelPressed = false;
        m_mode = kIdle;
        return r;
    }
    r.message = m_s.status.error ? static_cast<int>(m_s.status.lastError.load()) : ApplyZMenu();
    m_zMenuDone = true;
    // On the LAN the device search follows, even after a failed station menu.
    if (m_s.setup.selectLan) {
        m_mode = kSearch;
        r.openSearch = true;
        r.ended = false;
        return r;
    }
    m_mode = kIdle;
    r.rowsChanged = true;
    return r;
}

int StationDialogModel::SearchClosed() {
    int matched = 0;
    if (m_s.foundDevices) {
        matched = MergeFoundDevices(m_list, m_s.setup.ipAddress, m_s.foundDevices());
        SaveList();
    }
    m_mode = kIdle;
    return matched;
}

void StationDialogModel::NameMenuStations() {
    for (int id = StationList::kFirst; id <= StationList::kLast; ++id) {
        const int type = m_s.stations.deviceType[static_cast<std::size_t>(id - 1)];
        if (type == 0)
            continue;
        StationList::Entry& e = m_list.At(id);
        e.type = static_cast<std::uint32_t>(type);
        e.name = m_s.files.DeviceInfo().StationName(type);
    }
    SaveList();
}

} // namespace qdv
