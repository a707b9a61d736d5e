#include "discovery/DiscoveryRequest.h"

namespace qdv {

QByteArray DiscoveryRequest(int kind) {
    static const char* const kTexts[] = {"ENQ:NETWORK", "ENQ:DEVINFO", "ENQ:DATE"};
    if (kind < kRequestNetwork || kind > kRequestDate)
        return {};
    QByteArray datagram(1, '\x02');
    datagram += kTexts[kind];
    datagram += '\xFF';
    datagram += '\x03';
    return datagram;
}

} // namespace qdv
