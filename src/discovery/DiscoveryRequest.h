#pragma once

#include <QByteArray>

namespace qdv {

// The discovery requests a PC broadcasts: STX, the request text, 0xFF, ETX.
enum DiscoveryRequestKind : int {
    kRequestNetwork = 0, // "ENQ:NETWORK": devices answer with their network settings
    kRequestDevInfo = 1, // "ENQ:DEVINFO": devices answer with their identity
    kRequestDate = 2     // "ENQ:DATE": only devices already known are taken
};

// The datagram of a request kind; empty for a kind outside 0..2.
QByteArray DiscoveryRequest(int kind);

} // namespace qdv
