#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <bitset>
#include <cstdint>

namespace qdv {

// The fields a discovery answer can fill, in table order. Each is a text of fixed width, padded with
// NUL bytes.
enum class DeviceField : int {
    Model,
    ZebuId,
    Serial,
    Ymdhm,
    Gmt,
    IpAdrM,
    IpAdrB,
    Gpid,
    Term,
    Log,
    Gway,
    Mask,
    OptIp,
    Opt1,
    Opt2,
    Opt3,
    Tout,
    Trap1,
    Trap2,
    Cont,
    Name,
    Loc,
    Uniq
};
inline constexpr int kDeviceFieldCount = 23;

struct DeviceFieldInfo {
    const char* key;  // item key in an answer, e.g. "IPADRM"
    const char* json; // lower-case key of the command-line tool's JSON output
    int width;        // characters kept
    int group;        // change-mask bit set when the field changes
    bool hasPresent;  // fields from "YMDHM" on remember that an item with their key arrived
    int offset;       // into NetworkDevice::text
};

const DeviceFieldInfo& FieldInfo(DeviceField field);

// One device found on the LAN: its MAC address, the answer status of the last ACK/NAK it sent, and the
// values of its items. A plain value: copies are what readers on other threads get.
struct NetworkDevice {
    static constexpr int kMacLength = 17;
    static constexpr int kTextBytes = 1454; // the sum of the field widths
    enum AnswerStatus : std::int32_t { kNone = 0, kAcknowledged = 6, kRefused = 21 };

    std::int32_t answerStatus = kNone;
    std::array<char, kMacLength> mac{};
    std::array<char, kTextBytes> text{};
    std::bitset<kDeviceFieldCount> present;

    // The stored value without its NUL padding; empty when never received.
    QByteArray Value(DeviceField field) const;
    QString Text(DeviceField field) const { return QString::fromLatin1(Value(field)); }
    bool Present(DeviceField field) const { return present.test(static_cast<std::size_t>(field)); }
    QString Mac() const;
};

} // namespace qdv
