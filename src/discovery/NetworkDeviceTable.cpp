#include "discovery/NetworkDeviceTable.h"

#include <algorithm>
#include <cstring>

namespace qdv {

namespace {

constexpr char kStx = 0x02;
constexpr char kItemEnd = static_cast<char>(0xFF);
constexpr int kTypeOffset = 1;
constexpr int kMacOffset = 5;
constexpr int kItemsOffset = 23;
// Distinct overflowing MACs remembered for the count; a flood of invented MACs must not grow memory
// without bound, so beyond this the count stops.

bool TypeIs(QByteArrayView datagram, const char* type) {
    return datagram.size() >= kTypeOffset + 3 && std::memcmp(datagram.data() + kTypeOffset, type, 3) == 0;
}

// The item keys an answer may carry: "INFO" and "MAC" besides the stored fields.
std::optional<DeviceField> FieldOfKey(QByteArrayView key) {
    for (int i = 0; i < kDeviceFieldCount; ++i) {
        const auto field = static_cast<DeviceField>(i);
        if (key == QByteArrayView(FieldInfo(field).key))
            return field;
    }
    return std::nullopt;
}

} // namespace

NetworkDeviceTable::Snapshot NetworkDeviceTable::Copy() const {
    std::lock_guard lock(m_mutex);
    return Snapshot{m_devices, m_changeMask, m_revision, static_cast<int>(m_ignored.size())};
}

int NetworkDeviceTable::Count() const {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_devices.size());
}

std::optional<NetworkDevice> NetworkDeviceTable::Device(int index) const {
    std::lock_guard lock(m_mutex);
    if (index < 0 || index >= static_cast<int>(m_devices.size()))
        return std::nullopt;
    return m_devices[static_cast<std::size_t>(index)];
}

std::uint32_t NetworkDeviceTable::ChangeMask() const {
    std::lock_guard lock(m_mutex);
    return m_changeMask;
}

std::uint64_t NetworkDeviceTable::Revision() const {
    std::lock_guard lock(m_mutex);
    return m_revision;
}

int NetworkDeviceTable::IgnoredDevices() const {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_ignored.size());
}

int NetworkDeviceTable::IndexOfMac(QByteArrayView mac) const {
    std::lock_guard lock(m_mutex);
    return IndexOfMacLocked(mac);
}

void NetworkDeviceTable::SetRequestKind(int kind) {
    std::lock_guard lock(m_mutex);
    m_requestKind = kind;
}

int NetworkDeviceTable::RequestKind() const {
    std::lock_guard lock(m_mutex);
    return m_requestKind;
}

void NetworkDeviceTable::ClearAnswerStatus(int index) {
    std::lock_guard lock(m_mutex);
    if (index >= 0 && index < static_cast<int>(m_devices.size()))
        m_devices[static_cast<std::size_t>(index)].answerStatus = NetworkDevice::kNone;
}

bool NetworkDeviceTable::DateSeen() const {
    std::lock_guard lock(m_mutex);
    return m_dateSeen;
}

int NetworkDeviceTable::IndexOfMacLocked(QByteArrayView mac) const {
    if (mac.size() != NetworkDevice::kMacLength)
        return -1;
    for (std::size_t i = 0; i < m_devices.size(); ++i)
        if (std::memcmp(m_devices[i].mac.data(), mac.data(), NetworkDevice::kMacLength) == 0)
            return static_cast<int>(i);
    return -1;
}

void NetworkDeviceTable::TakeDatagram(QByteArrayView datagram) {
    if (datagram.size() < kMinAnswerLength || datagram.front() != kStx)
        return;
    const QByteArrayView mac = datagram.sliced(kMacOffset, NetworkDevice::kMacLength);
    std::lock_guard lock(m_mutex);
    if (TypeIs(datagram, "ACK")) {
        MarkAnswerLocked(mac, NetworkDevice::kAcknowledged);
    } else if (TypeIs(datagram, "NAK")) {
        MarkAnswerLocked(mac, NetworkDevice::kRefused);
    } else if (TypeIs(datagram, "MAC")) {
        m_dateSeen = false;
        if (TakeDeviceAnswerLocked(datagram) && m_dateSeen)
            MarkAnswerLocked(mac, NetworkDevice::kAcknowledged);
    }
}

bool NetworkDeviceTable::MarkAnswer(QByteArrayView mac, int status) {
    std::lock_guard lock(m_mutex);
    return MarkAnswerLocked(mac, status);
}

bool NetworkDeviceTable::MarkAnswerLocked(QByteArrayView mac, int status) {
    const int index = IndexOfMacLocked(mac);
    if (index < 0)
        return false;
    m_devices[static_cast<std::size_t>(index)].answerStatus = status;
    return true;
}

bool NetworkDeviceTable::TakeDeviceAnswer(QByteArrayView datagram) {
    std::lock_guard lock(m_mutex);
    return TakeDeviceAnswerLocked(datagram);
}

bool NetworkDeviceTable::TakeDeviceAnswerLocked(QByteArrayView datagram) {
    m_changeMask = 0;
    if (!TypeIs(datagram, "MAC") || datagram.size() < kMacOffset + NetworkDevice::kMacLength)
        return false;
    const QByteArrayView mac = datagram.sliced(kMacOffset, NetworkDevice::kMacLength);
    int index = IndexOfMacLocked(mac);
    if (index < 0) {
        if (m_requestKind == kRequestDate)
            return false;
        if (m_devices.size() >= static_cast<std::size_t>(kMaxDevices)) {
            if (m_ignored.size() < static_cast<std::size_t>(kMaxIgnoredTracked))
                m_ignored.insert(mac.toByteArray());
            return false;
        }
        if (m_devices.capacity() == 0)
            m_devices.reserve(kMaxDevices);
        index = static_cast<int>(m_devices.size());
        m_devices.emplace_back();
        std::memcpy(m_devices.back().mac.data(), mac.data(), NetworkDevice::kMacLength);
        m_changeMask = kChangeIdentity;
        ++m_revision;
    }
    NetworkDevice& device = m_devices[static_cast<std::size_t>(index)];

    // Items run from byte 23, each ending with 0xFF; a tail without its 0xFF is not an item.
    qsizetype start = kItemsOffset;
    for (qsizetype i = kItemsOffset; i < datagram.size(); ++i) {
        if (datagram[i] != kItemEnd)
            continue;
        ParseItem(device, datagram.sliced(start, i - start));
        start = i + 1;
    }
    return true;
}

void NetworkDeviceTable::ParseItem(NetworkDevice& device, QByteArrayView item) {
    // `item` comes without its 0xFF. The item buffer of a device holds 256 bytes: a longer item is cut
    // there before its key and value are read.
    item = item.first(std::min<qsizetype>(item.size(), kMaxItemLength));
    const qsizetype colon = item.indexOf(':');
    if (colon < 0)
        return;
    const QByteArrayView key = item.first(colon);
    QByteArrayView value = item.sliced(colon + 1);
    if (key == "INFO") {
        if (value.startsWith("DATE"))
            m_dateSeen = true;
        return;
    }
    const std::optional<DeviceField> field = FieldOfKey(key);
    if (!field)
        return; // "MAC" (the header names the device) and unknown keys
    const DeviceFieldInfo& info = FieldInfo(*field);
    if (info.hasPresent)
        device.present.set(static_cast<std::size_t>(*field));
    value = value.first(std::min<qsizetype>(value.size(), info.width));

    char stored[kMaxItemLength] = {};
    if (!value.isEmpty())
        std::memcpy(stored, value.data(), static_cast<std::size_t>(value.size()));
    char* target = device.text.data() + info.offset;
    if (std::memcmp(target, stored, static_cast<std::size_t>(info.width)) == 0)
        return;
    std::memcpy(target, stored, static_cast<std::size_t>(info.width));
    m_changeMask |= 1u << info.group;
    ++m_revision;
}

} // namespace qdv
