#pragma once

#include "history/BackupHistory.h"
#include "secondary/StationDialogModel.h"

#include <QStringList>

namespace qdv {

// The logic of the receive and send secondary data dialogs: the check boxes of the 253 station rows
// with their check menu, and the Secondary job over the checked stations with each station's result in
// the Status column. One class, two faces: `direction` chooses the direction of the job and its status words.
class SecondaryDataModel : public StationDialogModel {
public:
    SecondaryDataModel(StationDialogServices services, Direction direction);

    bool Send() const { return m_send; }
    int CheckedCount() const { return m_list.CheckedCount(); }
    // Start is offered only with at least one station checked.
    bool CanStart() const { return CheckedCount() != 0; }

    // The check menu: every station the stored ZEBU_STD.DAU marks, from its station bitmap (All) or its
    // device list (Device), becomes checked and every other one unchecked; the station menu's present
    // flags follow. msg::kNoStandardSettings when the file is missing, the checks unchanged; else 0.
    int CheckAll();
    int CheckDevice();
    void CheckClear();
    // A click on a row's check box. While a job runs the box goes back to the stored flag. Returns the
    // flag the row now shows.
    bool SetChecked(int id, bool checked);

    // Start: every checked station (or, when `only` is given, exactly those) is queued with its IP
    // address and the Secondary job started. False when no station was chosen or the job did not start.
    bool StartRun(const std::vector<int>* only = nullptr);
    // After a run: the station files (ZEBU_nnn.DAT) of the stations it chose that did not end OK.
    QStringList FailedFiles() const;
    // After a receive run: snapshots the setup's backup folder into its history, naming the station
    // files that were not received. Nothing for a setup without a backup folder.
    history::SnapshotResult SnapshotReceived() const;

protected:
    int ApplyZMenu() override;
    PollResult PollRun() override;

private:
    int CheckFrom(bool bitmap);

    bool m_send;
};

} // namespace qdv
