#include "secondary/SecondaryDataModel.h"

#include "base/CatalogueCodes.h"
#include "convert/ConversionTables.h"
#include "link/StationTables.h"
#include "link/StatusBlock.h"
#include "link/TransferJobs.h"
#include "store/DataFileSet.h"
#include "store/TmFile.h"

namespace qdv {

SecondaryDataModel::SecondaryDataModel(StationDialogServices services, Direction direction)
    : StationDialogModel(std::move(services),
                         direction == Direction::Send ? StatusWords::Send : StatusWords::Receive),
      m_send(direction == Direction::Send) {}

int SecondaryDataModel::CheckFrom(bool bitmap) {
    TmFile::StationFlags flags{};
    const QString file = ConversionTables::StandardSettingsFile(m_s.setup);
    const bool read =
        bitmap ? m_s.files.ReadStationsFromBitmap(file, &flags) : TmFile::ReadStationsFromList(file, &flags);
    if (!read)
        return msg::kNoStandardSettings;
    for (int id = StationList::kFirst; id <= StationList::kLast; ++id) {
        const bool on = flags[static_cast<std::size_t>(id - 1)];
        m_list.At(id).checked = on;
        m_s.stations.present[static_cast<std::size_t>(id - 1)] = on;
    }
    return 0;
}

int SecondaryDataModel::CheckAll() {
    return CheckFrom(true);
}

int SecondaryDataModel::CheckDevice() {
    return CheckFrom(false);
}

void SecondaryDataModel::CheckClear() {
    for (int id = StationList::kFirst; id <= StationList::kLast; ++id)
        m_list.At(id).checked = false;
}

bool SecondaryDataModel::SetChecked(int id, bool checked) {
    if (id < StationList::kFirst || id > StationList::kLast)
        return false;
    StationList::Entry& e = m_list.At(id);
    if (!JobBusy() && Idle())
        e.checked = checked;
    return e.checked;
}

bool SecondaryDataModel::StartRun(const std::vector<int>* only) {
    m_s.status.Clear();
    m_cancelPressed = false;
    m_s.stations.ClearStations();
    int chosen = 0;
    for (int id = StationList::kFirst; id <= StationList::kLast; ++id) {
        const bool pick =
            only ? std::find(only->begin(), only->end(), id) != only->end() : m_list.At(id).checked;
        if (!pick)
            continue;
        m_s.stations.state[Index(id)] = StationTables::kChosen;
        m_s.stations.SetAddress(id, m_list.At(id).address);
        ++chosen;
    }
    if (chosen == 0 || !m_s.startJob(m_send ? Direction::Send : Direction::Receive, kJobSecondary))
        return false;
    TakeSnapshot();
    m_blink = true;
    m_mode = kRun;
    return true;
}

QStringList SecondaryDataModel::FailedFiles() const {
    QStringList failed;
    for (int id = StationList::kFirst; id <= StationList::kLast; ++id) {
        const std::size_t i = Index(id);
        if (m_state[i] == 0 || (m_state[i] == StationTables::kDone && m_result[i] == StationTables::kSuccess))
            continue;
        failed << datafiles::FileName(datafiles::kStationDat, id);
    }
    return failed;
}

history::SnapshotResult SecondaryDataModel::SnapshotReceived() const {
    const SetupRecord& setup = Setup();
    if (setup.backupDataPath.isEmpty())
        return {};
    return history::BackupHistory::Snapshot(setup.backupDataPath, setup.name,
                                            QStringLiteral("Receive ") + JobKindName(kJobSecondary),
                                            FailedFiles());
}

int SecondaryDataModel::ApplyZMenu() {
    for (int id = StationList::kFirst; id <= StationList::kLast; ++id)
        m_list.At(id).checked = m_s.stations.present[static_cast<std::size_t>(id - 1)];
    NameMenuStations();
    return 0;
}

StationDialogModel::PollResult SecondaryDataModel::PollRun() {
    PollResult r;
    if (SnapshotDiffers()) {
        TakeSnapshot();
        r.rowsChanged = !m_cancelPressed;
        r.selectStation = m_current;
    }
    if (!m_s.status.busy) {
        if (m_cancelPressed) {
            m_cancelPressed = false;
            r.message = msg::kAborted;
            MarkCancelled();
        } else {
            TakeJobFailure(r);
        }
        // No summary follows a run: the Status column is the report.
        r.rowsChanged = true;
        r.ended = true;
        m_mode = kIdle;
        return r;
    }
    if (m_current != 0) {
        r.rowsChanged = true;
        m_blink = !m_blink;
    }
    return r;
}

} // namespace qdv
