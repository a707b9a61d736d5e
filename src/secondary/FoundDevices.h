#pragma once

#include <QString>
#include <vector>

namespace qdv {

class StationList;
struct NetworkDevice;

// A device the device search found, as the station dialogs merge it into their station list.
struct FoundDevice {
    QString name;
    QString stationId;      // decimal text
    QString address;        // the device's own IP address
    QString primaryAddress; // the IP address of its primary controller
};

// The devices of the network device table as the station dialogs read them: NAME, ZEBUID, IPADRM and
// OPTIP of each entry.
std::vector<FoundDevice> FoundDevicesOf(const std::vector<NetworkDevice>& devices);

// Merges a device search into a station list: each device whose primary controller is
// `primaryAddress` and whose station ID is 2..254 names its station and gives it its address, each cut
// to its field. A device that sent no name or no address leaves the station's name or address as it
// was (the station menu named it after its device type). Devices without a primary address never
// match, nor does an empty `primaryAddress`. Returns the number of stations the devices matched.
int MergeFoundDevices(StationList& list, const QString& primaryAddress,
                      const std::vector<FoundDevice>& found);

} // namespace qdv
