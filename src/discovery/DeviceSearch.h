#pragma once

#include <functional>

namespace qdv {

// One device search as an operator runs it: three passes, each an "ENQ:NETWORK" request, 1 s later an
// "ENQ:DEVINFO" request, and 2 s of waiting for answers; about 9 s in all. Plain logic without a timer:
// the search dialog and the command-line tool call Step() from their own timers and wait the interval
// it returns. The answers fill the network device table meanwhile.
//
//   step 0   pass + 1, queue kind 0, progress + 1, next step in 1000 ms   -> step 1
//   step 1   queue kind 1, progress + 1, next step in 2000 ms             -> step 0, or 2 after pass 3
//   step 2   the search has ended
class DeviceSearch {
public:
    static constexpr int kPasses = 3;
    static constexpr int kProgressSteps = 2 * kPasses;
    static constexpr int kNetworkWaitMs = 1000;
    static constexpr int kDevInfoWaitMs = 2000;
    static constexpr int kTotalMs = kPasses * (kNetworkWaitMs + kDevInfoWaitMs);
    static constexpr int kEnded = -1;

    // Queues a request: entry 255 (no particular device) and a request kind; false when refused, for
    // instance while the UDP stage is not running. The search goes on either way.
    using RequestSink = std::function<bool(int entry, int kind)>;

    explicit DeviceSearch(RequestSink sink);

    void Reset();
    // Runs the current step; returns the milliseconds to wait before the next, or kEnded.
    int Step();
    int Progress() const { return m_progress; }
    bool Ended() const { return m_ended; }
    // Requests the sink refused.
    int Refused() const { return m_refused; }

private:
    void Request(int kind);

    RequestSink m_sink;
    int m_step = 0;
    int m_passes = 0;
    int m_progress = 0;
    int m_refused = 0;
    bool m_ended = false;
};

} // namespace qdv
