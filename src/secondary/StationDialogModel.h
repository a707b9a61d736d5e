#pragma once

#include "secondary/FoundDevices.h"
#include "secondary/StationStatus.h"
#include "store/JobKind.h"
#include "store/SetupRecord.h"
#include "store/StationList.h"

#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace qdv {

class StationTables;
class StatusBlock;
class TmFile;

// What a station dialog works with: the file module (station list, device information, stored primary
// data), the transfer status block and station tables it shares with the link engine, the task
// controller's start, the setup it works on and, on LAN setups, the devices the device search found.
struct StationDialogServices {
    const TmFile& files;
    StatusBlock& status;
    StationTables& stations;
    std::function<bool(Direction direction, JobKind kind)> startJob;
    SetupRecord setup;
    std::function<std::vector<FoundDevice>()> foundDevices;
};

// The logic the secondary-station dialogs share, without a window: the dialog's own copy of the station
// list, Get Z Menu with its device-search merge, List Clear, the snapshot of the station tables that the
// Status column shows, Cancel, and the follow-up of a running job that a window calls every 250 ms and
// a command-line tool as often as it likes.
//
//   mode  meaning                     entered by          left when
//   0     idle                        Show, end of a job  -
//   1     Get Z Menu running          StartGetZMenu       the job ends: to 2 on a LAN setup, else to 0
//   2     device search open          Poll                SearchClosed
//   3     station job running         StartRun / Start    the job ends
class StationDialogModel {
public:
    enum Mode { kIdle = 0, kZMenu = 1, kSearch = 2, kRun = 3 };

    // What one follow-up step asks of its caller.
    struct PollResult {
        int message = 0;          // a catalogue code to show (warning, OK), 0 for none
        QString messageText;      // or a text of its own (the job gave up waiting for the folder)
        bool openSearch = false;  // show the device search now, then call SearchClosed
        bool rowsChanged = false; // the Status cells (or, after Get Z Menu, the whole rows) changed
        int selectStation = 0;    // the station in transfer: select it and scroll it into view
        bool ended = false;       // the job is over, the dialog idle again
    };

    explicit StationDialogModel(StationDialogServices services, StatusWords words);
    // After a job has ended: a job that gave up waiting for its backup folder says who held it, in
    // place of a catalogue code.
    void TakeJobFailure(PollResult& r) const;
    virtual ~StationDialogModel() = default;

    // Showing the dialog: an empty snapshot, the setup's station list (emptied when it cannot be
    // loaded) saved at once, idle.
    void Show();
    // Closing the dialog saves the list.
    bool SaveList(QString* error = nullptr) const;

    const StationList& List() const { return m_list; }
    const SetupRecord& Setup() const { return m_s.setup; }
    StatusBlock& Status() const { return m_s.status; }
    Mode CurrentMode() const { return m_mode; }
    bool Idle() const { return m_mode == kIdle; }
    bool JobBusy() const;
    // The Status cell of a station from the snapshot.
    StatusCell Cell(int id) const;
    std::uint8_t SnapshotState(int id) const { return m_state[Index(id)]; }

    // Get Z Menu: empties the list and its file and the station menu tables, then starts the station
    // menu job. False when it did not start (the list stays empty).
    bool StartGetZMenu();
    // List Clear: every station emptied; the empty list is saved.
    void ListClear();
    // Cancel, only while a job runs: asks the engine to abort.
    void Cancel();
    // The follow-up of a running job; nothing in modes 0 and 2.
    PollResult Poll();
    // After the device search: merges what it found into the list, saves it, idle. Returns the number
    // of stations the devices matched.
    int SearchClosed();

protected:
    static std::size_t Index(int id) { return static_cast<std::size_t>(id & 0xFF); }
    // Applies a successful station menu to the list and saves it; a catalogue code to show, or 0.
    virtual int ApplyZMenu() = 0;
    // One follow-up step of the station job of mode 3.
    virtual PollResult PollRun() = 0;

    // Names stations of the station menu after their device type and saves the list.
    void NameMenuStations();
    void TakeSnapshot();
    bool SnapshotDiffers() const;
    // Every station queued or in transfer in the snapshot is marked cancelled, here and in the tables.
    void MarkCancelled();

    StationDialogServices m_s;
    StatusWords m_words;
    StationList m_list;
    Mode m_mode = kIdle;
    bool m_cancelPressed = false;
    bool m_zMenuDone = false;
    bool m_blink = false;
    std::array<std::uint8_t, 256> m_state{};
    std::array<std::uint8_t, 256> m_result{};
    int m_current = 0;

private:
    PollResult PollZMenu();
};

} // namespace qdv
