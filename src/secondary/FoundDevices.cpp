#include "secondary/FoundDevices.h"

#include "discovery/NetworkDevice.h"
#include "setups/IpAddressText.h"
#include "store/StationList.h"

namespace qdv {

std::vector<FoundDevice> FoundDevicesOf(const std::vector<NetworkDevice>& devices) {
    std::vector<FoundDevice> found;
    found.reserve(devices.size());
    for (const NetworkDevice& d : devices)
        // A station is shown by its device's model; NAME is the operator's free text.
        found.push_back({d.Text(DeviceField::Model), d.Text(DeviceField::ZebuId), d.Text(DeviceField::IpAdrM),
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
        // The exchange connects to this address: only a device's IPv4 address is taken.
        if (!address.contains(QLatin1Char(' ')) && IpAddressText::IsValid(address))
            e.address = address;
        ++matched;
    }
    return matched;
}

} // namespace qdv
