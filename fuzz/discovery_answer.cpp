// Feeds arbitrary bytes to the network device table as received datagrams (whole, and split into
// several at the input's 0x00 bytes) and checks what it keeps: never more than 256 devices, every value
// within its field, the MAC being the one of an answer.
#include "discovery/NetworkDeviceTable.h"

#include <QByteArrayList>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace qdv;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    NetworkDeviceTable table;
    table.TakeDatagram(bytes);
    for (const QByteArray& part : bytes.split('\0'))
        table.TakeDatagram(part);
    table.SetRequestKind(2);
    table.TakeDatagram(bytes);

    const NetworkDeviceTable::Snapshot s = table.Copy();
    if (s.devices.size() > static_cast<std::size_t>(NetworkDeviceTable::kMaxDevices))
        std::abort();
    for (const NetworkDevice& d : s.devices) {
        if (!bytes.contains(QByteArrayView(d.mac.data(), NetworkDevice::kMacLength)))
            std::abort();
        for (int i = 0; i < kDeviceFieldCount; ++i) {
            const auto field = static_cast<DeviceField>(i);
            if (d.Value(field).size() > FieldInfo(field).width)
                std::abort();
        }
    }
    return 0;
}
