#include "secondary/NamesToSecondaryModel.h"

#include "base/CatalogueCodes.h"
#include "convert/ConversionTables.h"
#include "link/StationTables.h"
#include "link/StatusBlock.h"
#include "store/TmFile.h"

#include <algorithm>

namespace qdv {

namespace {

constexpr int kBroadcastStation = 255;

} // namespace

NamesToSecondaryModel::NamesToSecondaryModel(StationDialogServices services, JobKind kind)
    : StationDialogModel(std::move(services), StatusWords::Send), m_kind(kind) {}

void NamesToSecondaryModel::Show() {
    m_top = kFirstTop;
    m_target = kFirstTop;
    StationDialogModel::Show();
}

bool NamesToSecondaryModel::SetTop(int top) {
    top = std::clamp(top, kFirstTop, kLastTop);
    if (top == m_top)
        return false;
    m_top = top;
    return true;
}

void NamesToSecondaryModel::ChooseRow(int row) {
    if (row >= 0 && row < kRows)
        SetTarget(m_top + row);
}

void NamesToSecondaryModel::SetTarget(int station) {
    if (!JobBusy() && Idle() && station >= StationList::kFirst && station <= StationList::kLast)
        m_target = station;
}

void NamesToSecondaryModel::SetBroadcast(bool on) {
    if (Idle())
        m_broadcast = on;
}

bool NamesToSecondaryModel::Start() {
    m_s.status.Clear();
    m_cancelPressed = false;
    m_s.stations.ClearStations();
    m_state.fill(0);
    m_result.fill(0);
    m_s.stations.currentStation = m_broadcast ? kBroadcastStation : m_target;
    m_s.stations.state[0] = m_broadcast ? 1 : 0;
    m_s.stations.dialogState = StationTables::kChosen;
    if (!m_s.startJob(Direction::Send, m_kind))
        return false;
    TakeSnapshot();
    RefreshStatus();
    m_blink = true;
    m_mode = kRun;
    return true;
}

void NamesToSecondaryModel::RefreshStatus() {
    const auto state = static_cast<std::uint8_t>(m_s.stations.dialogState.load());
    const std::uint8_t result = m_s.stations.dialogError ? StationTables::kFailed : StationTables::kSuccess;
    const int from = m_broadcast ? StationList::kFirst : m_target;
    const int to = m_broadcast ? StationList::kLast : m_target;
    for (int id = from; id <= to; ++id) {
        m_state[Index(id)] = m_s.stations.state[Index(id)] = state;
        m_result[Index(id)] = m_s.stations.result[Index(id)] = result;
    }
}

int NamesToSecondaryModel::ApplyZMenu() {
    NameMenuStations();
    TmFile::StationFlags flags{};
    if (!TmFile::ReadStationsFromList(ConversionTables::StandardSettingsFile(m_s.setup), &flags))
        return msg::kNoStandardSettings;
    for (int id = 1; id <= 255; ++id)
        m_list.At(id).checked = flags[static_cast<std::size_t>(id - 1)];
    return 0;
}

StationDialogModel::PollResult NamesToSecondaryModel::PollRun() {
    PollResult r;
    if (SnapshotDiffers()) {
        TakeSnapshot();
        if (!m_cancelPressed) {
            RefreshStatus();
            r.rowsChanged = true;
        }
    }
    if (!m_s.status.busy) {
        if (m_cancelPressed) {
            m_cancelPressed = false;
            MarkCancelled();
            r.message = msg::kAborted;
        } else {
            if (m_s.status.error)
                r.message = static_cast<int>(m_s.status.lastError.load());
            TakeJobFailure(r);
            RefreshStatus();
        }
        r.rowsChanged = true;
        r.ended = true;
        m_mode = kIdle;
        return r;
    }
    if (m_current != 0) {
        RefreshStatus();
        r.rowsChanged = true;
        m_blink = !m_blink;
    }
    return r;
}

} // namespace qdv
