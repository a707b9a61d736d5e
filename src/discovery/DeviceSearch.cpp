#include "discovery/DeviceSearch.h"

#include "discovery/DiscoveryRequest.h"
#include "discovery/NetworkDeviceTable.h"

namespace qdv {

DeviceSearch::DeviceSearch(RequestSink sink) : m_sink(std::move(sink)) {}

void DeviceSearch::Reset() {
    m_step = 0;
    m_passes = 0;
    m_progress = 0;
    m_refused = 0;
    m_ended = false;
}

void DeviceSearch::Request(int kind) {
    if (!m_sink || !m_sink(NetworkDeviceTable::kNoEntry, kind))
        ++m_refused;
    ++m_progress;
}

int DeviceSearch::Step() {
    switch (m_step) {
    case 0:
        ++m_passes;
        Request(kRequestNetwork);
        m_step = 1;
        return kNetworkWaitMs;
    case 1:
        Request(kRequestDevInfo);
        m_step = m_passes < kPasses ? 0 : 2;
        return kDevInfoWaitMs;
    default:
        m_passes = 0;
        m_ended = true;
        return kEnded;
    }
}

} // namespace qdv
