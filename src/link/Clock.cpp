#include "link/Clock.h"

#include <chrono>

namespace qdv {

qint64 SteadyClock::NowMs() const {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace qdv
