#pragma once

#include "secondary/StationDialogModel.h"

namespace qdv {

// The logic of the dialogs that send the descriptions (job kind 4) or the alias tables (kind 5) to one
// secondary station or, by broadcast, to all of them: a window of 15 rows over the stations 2..254, the
// target chosen with a radio button, and the names job whose single state and error the Status column
// shows on the target's row, or on every row in broadcast.
class NamesToSecondaryModel : public StationDialogModel {
public:
    static constexpr int kRows = 15;
    static constexpr int kFirstTop = 2;
    static constexpr int kLastTop = 240;

    NamesToSecondaryModel(StationDialogServices services, JobKind kind);

    JobKind Kind() const { return m_kind; }
    // Showing the dialog: the window at the top, the target station 2.
    void Show();

    int Top() const { return m_top; }
    // Moves the window; false when it was already there.
    bool SetTop(int top);
    int Target() const { return m_target; }
    // A radio button: the target becomes `top + row`, except while a job runs.
    void ChooseRow(int row);
    void SetTarget(int station);
    bool Broadcast() const { return m_broadcast; }
    void SetBroadcast(bool on);

    // Start: the names go to the target, or to every station (255) in broadcast. False when the job did
    // not start.
    bool Start();

protected:
    int ApplyZMenu() override;
    PollResult PollRun() override;

private:
    // Copies the names job's state and error into the Status of the target, or of every station.
    void RefreshStatus();

    JobKind m_kind;
    int m_top = kFirstTop;
    int m_target = kFirstTop;
    bool m_broadcast = false;
};

} // namespace qdv
