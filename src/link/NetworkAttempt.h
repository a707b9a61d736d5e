#pragma once

#include "store/JobKind.h"
#include "store/SetupRecord.h"

namespace qdv {

class TransferJobs;

// A first try at a LAN job by another way than the packet protocol: the link engine hands a job of
// kinds 0 to 3 to it and steps it; when it fails, the same job is done with the packet protocol over
// TCP. It reports finished files through `jobs`; the engine books the end of the job.
class NetworkAttempt {
public:
    static constexpr int kRunning = -1;

    virtual ~NetworkAttempt() = default;

    virtual void Begin(const SetupRecord& setup, const PortSettings& ports, Direction direction, JobKind kind,
                       TransferJobs& jobs) = 0;
    // One step: kRunning while it goes on, 0 when the job is done, else the catalogue code it failed with.
    virtual int Step() = 0;
    // Ends the attempt at once (the user's abort, or the program is ending).
    virtual void Abort() = 0;
    // True for a local file the attempt moved in this job: after a failure the packet protocol leaves
    // it alone, so that it is neither moved twice nor reported as failed.
    virtual bool Moved(const QString& path) const = 0;
};

} // namespace qdv
