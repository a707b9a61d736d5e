#pragma once

#include <QString>

namespace qdv {

// The hosted SOAP services' settings (QDV70COMM.INI, section "SOAP").
struct ServiceSettings {
    bool enable = true;            // ENABLE: 0 offers no services
    QString bindAddress;           // BIND: empty for any address, else one IPv4 address
    int deviceInfoPort = 8081;     // DEVICEINFO (0: a free port chosen by the system)
    int primaryStationPort = 8082; // PRIMARYSTATION
};

} // namespace qdv
