#pragma once

#include "convert/TmTableRemote.h"
#include "link/Clock.h"
#include "link/LinkEngine.h"
#include "link/StationTables.h"
#include "link/StatusBlock.h"
#include "store/TmFile.h"
#include "support/LoopbackTransport.h"
#include "support/TestFolder.h"

#include <deque>
#include <functional>

namespace qdv::test {

// The link engine with the files of a PC and an in-memory line, in virtual time: a tick is 10 ms of a
// manual clock. The setup is a LAN setup whose backup folder is "backup" in the PC folder; what stands
// on the far side of the line is the user's (line.SetPeer).
struct EngineRig {
    TestFolder pc;
    ManualClock clock;
    LoopbackTransport line;
    StatusBlock status;
    StationTables stations;
    TmTableRemote resolver;
    TmFile files{pc.Path()};
    LinkEngine engine{LinkEngine::Services{clock, line, nullptr, status, stations, resolver, files}};
    SetupRecord setup;
    PortSettings ports;
    FolderLockUse folderUse; // how the jobs take the backup folder's lock
    LinkEngine* driven = &engine; // the engine RunJob drives
    int ticks = 0;
    std::deque<QByteArray> replies;

    EngineRig();

    // Makes the far side a scripted device: it answers the attention with READY, ignores ETB, and
    // answers everything else the PC sends with the next of `replies` (nothing once they are used up).
    void AnswerWith(std::deque<QByteArray> replies);

    // Runs a job until busy falls or `maxTicks` have passed, calling `each` after every tick; false when
    // the job did not end.
    bool RunJob(Direction direction, int kind, int maxTicks, const std::function<void(int)>& each = {});
};

} // namespace qdv::test
