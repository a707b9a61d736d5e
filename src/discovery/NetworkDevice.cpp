#include "discovery/NetworkDevice.h"

#include <cstring>

namespace qdv {

namespace {

constexpr DeviceFieldInfo Info(const char* key, const char* json, int width, int group, bool hasPresent) {
    return DeviceFieldInfo{key, json, width, group, hasPresent, 0};
}

// Widths and change groups of the answer items; offsets are filled in below.
constexpr std::array<DeviceFieldInfo, kDeviceFieldCount> kFieldsWithoutOffsets = {{
    Info("MODEL", "model", 256, 0, false),  Info("ZEBUID", "zebuid", 3, 0, false),
    Info("SERIAL", "serial", 10, 0, false), Info("YMDHM", "ymdhm", 16, 1, true),
    Info("GMT", "gmt", 5, 1, true),         Info("IPADRM", "ipadrm", 16, 2, true),
    Info("IPADRB", "ipadrb", 16, 2, true),  Info("GPID", "gpid", 3, 2, true),
    Info("TERM", "term", 4, 2, true),       Info("LOG", "log", 4, 2, true),
    Info("GWAY", "gway", 16, 2, true),      Info("MASK", "mask", 16, 2, true),
    Info("OPTIP", "optip", 16, 2, true),    Info("OPT1", "opt1", 4, 2, true),
    Info("OPT2", "opt2", 4, 2, true),       Info("OPT3", "opt3", 4, 2, true),
    Info("TOUT", "tout", 5, 2, true),       Info("TRAP1", "trap1", 16, 2, true),
    Info("TRAP2", "trap2", 16, 2, true),    Info("CONT", "cont", 256, 3, true),
    Info("NAME", "name", 256, 3, true),     Info("LOC", "loc", 256, 3, true),
    Info("UNIQ", "uniq", 256, 3, true),
}};

constexpr std::array<DeviceFieldInfo, kDeviceFieldCount> WithOffsets() {
    std::array<DeviceFieldInfo, kDeviceFieldCount> fields = kFieldsWithoutOffsets;
    int offset = 0;
    for (DeviceFieldInfo& f : fields) {
        f.offset = offset;
        offset += f.width;
    }
    return fields;
}

constexpr std::array<DeviceFieldInfo, kDeviceFieldCount> kFields = WithOffsets();
static_assert(kFields.back().offset + kFields.back().width == NetworkDevice::kTextBytes);

QByteArray UpToNul(const char* data, int width) {
    const void* nul = std::memchr(data, 0, static_cast<std::size_t>(width));
    return QByteArray(data, nul != nullptr ? static_cast<const char*>(nul) - data : width);
}

} // namespace

const DeviceFieldInfo& FieldInfo(DeviceField field) {
    return kFields[static_cast<std::size_t>(field)];
}

QByteArray NetworkDevice::Value(DeviceField field) const {
    const DeviceFieldInfo& f = FieldInfo(field);
    return UpToNul(text.data() + f.offset, f.width);
}

QString NetworkDevice::Mac() const {
    return QString::fromLatin1(UpToNul(mac.data(), kMacLength));
}

} // namespace qdv
