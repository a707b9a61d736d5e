#pragma once

#include "link/JobQueue.h"
#include "store/JobKind.h"
#include "store/SetupRecord.h"

namespace qdv {

class StatusBlock;
class StationTables;
class TmTableRemote;

// Expands a job into its queue of per-file entries and books the outcome of each file and of the whole
// job into the status block and the station tables.
class TransferJobs {
public:
    TransferJobs(StatusBlock& status, StationTables& stations, TmTableRemote& resolver);

    // Fills the queue for a direction and kind from the setup. Send entries whose file cannot be sent
    // are left out (a Primary file left out then shows as not transmitted).
    void BuildQueue(Direction direction, JobKind kind, const SetupRecord& setup);

    // Books the result of one file (final false) or of the whole job (final true) of `kind`;
    // `typeCode` is the data type of the file that ended. A final booking empties the queue and clears
    // busy last.
    void Finish(JobKind kind, int code, bool final, int typeCode);

    JobQueue& Queue() { return m_queue; }
    StationTables& Stations() { return m_stations; }

private:
    StatusBlock& m_status;
    StationTables& m_stations;
    TmTableRemote& m_resolver;
    JobQueue m_queue;
};

} // namespace qdv
