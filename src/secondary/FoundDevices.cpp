#include "secondary/FoundDevices.h"

#include "discovery/NetworkDevice.h"
#include "store/StationList.h"

namespace qdv {

std::vector<FoundDevice> FoundDevicesOf(const std::vector<NetworkDevice>& devices) {
    std::vector<FoundDevice> found;
    found.reserve(devices.size());
    for (const NetworkDevice& d : devices)
        found.push_back({d.Text(DeviceField::Name), d.Text(DeviceField::ZebuId), d.Text(DeviceField::IpAdrM),
                         d.Text(DeviceField::OptIp)});
    return found;
}

int MergeFoundDevices(StationList& list, const QString& primaryAddress,
                      const std::vector<FoundDevice>& found) {
    const QString primary = primaryAddress.trimmed();
    if (primary.isEmpty())
        return 0;
    int matched = 0;
    for (const FoundDevice& d : found) {
        if (d.primaryAddress.trimmed() != primary)
            continue;
        bool ok = false;
        const int id = d.stationId.trimmed().toInt(&ok);
        if (!ok || id < StationList::kFirst || id > StationList::kLast)
            continue;
        StationList::Entry& e = list.At(id);
        const QString name = d.name.trimmed();
        const QString address = d.address.trimmed();
        if (!name.isEmpty())
            e.name = name.left(StationList::kNameLength);
        if (!address.isEmpty())
            e.address = address.left(StationList::kAddressLength);
        ++matched;
    }
    return matched;
}

} // namespace qdv
