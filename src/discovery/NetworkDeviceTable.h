#pragma once

#include "discovery/NetworkDevice.h"

#include <QByteArrayView>
#include <cstdint>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

namespace qdv {

// The devices found on the LAN, for the whole run: filled from discovery answers by the UDP worker
// (TRpu16), read by the search dialog, the command-line tool and the secondary-station dialogs. Entries
// are added at the end, in the order devices first answered, and never removed; the table is never
// saved.
//
// Reading from another thread: every operation takes the table's lock, so a reader never sees a
// half-written entry. Copy() gives a consistent snapshot of all entries with the change mask and the
// revision in one go; use it rather than Count() followed by Device(i), between which answers may
// arrive.
//
// Noticing changes: the change mask holds the groups changed by the latest answer only (bit 0 a device
// added or its model, station ID or serial changed; bit 1 date and time zone; bit 2 network settings;
// bit 3 contact, name, location, unique text). The worker takes every answer as it arrives, so a reader
// polling every 250 ms can miss masks; Revision() grows with every change of any entry and is what a
// poll should compare.
class NetworkDeviceTable {
public:
    static constexpr int kMaxDevices = 256;
    // Devices that answer once the table is full are counted up to this many.
    static constexpr int kMaxIgnoredTracked = 4096;
    static constexpr int kNoEntry = 255; // "no particular device" for ClearAnswerStatus
    static constexpr int kMinAnswerLength = 24;
    static constexpr int kMaxItemLength = 256;
    static constexpr int kRequestDate = 2; // the request kind that blocks new devices
    enum ChangeBit : std::uint32_t {
        kChangeIdentity = 1,
        kChangeDate = 2,
        kChangeNetwork = 4,
        kChangeText = 8
    };

    struct Snapshot {
        std::vector<NetworkDevice> devices;
        std::uint32_t changeMask = 0;
        std::uint64_t revision = 0;
        int ignoredDevices = 0; // devices that answered after the table was full
    };

    NetworkDeviceTable() = default;
    NetworkDeviceTable(const NetworkDeviceTable&) = delete;
    NetworkDeviceTable& operator=(const NetworkDeviceTable&) = delete;

    // --- readers (any thread)
    Snapshot Copy() const;
    int Count() const;
    std::optional<NetworkDevice> Device(int index) const;
    std::uint32_t ChangeMask() const;
    std::uint64_t Revision() const;
    // Distinct devices that answered while all 256 entries were taken; they are not stored.
    int IgnoredDevices() const;
    // The entry holding this MAC text, or -1.
    int IndexOfMac(QByteArrayView mac) const;

    // --- the request side (any thread)
    // Remembers the kind of the request being queued; while it is 2 ("ENQ:DATE") answers from devices not
    // yet in the table are ignored.
    void SetRequestKind(int kind);
    int RequestKind() const;
    // Sets an entry's answer status to 0; kNoEntry or an index outside the table does nothing.
    void ClearAnswerStatus(int index);

    // --- the UDP worker
    // Handles one received datagram as a whole: ignored when shorter than 24 bytes or not starting with
    // STX; "ACK"/"NAK" set the answer status of a known device; "MAC" finds or adds the device and
    // stores its items. Any other type is ignored.
    void TakeDatagram(QByteArrayView datagram);
    // Sets the answer status (6 or 21) of the entry with this 17-character MAC; false when none has it.
    bool MarkAnswer(QByteArrayView mac, int status);
    // Finds or adds the device of a "MAC" answer and stores its items (key ':' value 0xFF, from byte
    // 23); bytes after the last 0xFF are dropped. False when the type is not "MAC", the datagram is too
    // short to name a MAC, or the device is new while new devices are blocked or the table is full.
    bool TakeDeviceAnswer(QByteArrayView datagram);
    // Set when an "INFO" item of the latest answer began with "DATE".
    bool DateSeen() const;

private:
    bool TakeDeviceAnswerLocked(QByteArrayView datagram);
    bool MarkAnswerLocked(QByteArrayView mac, int status);
    int IndexOfMacLocked(QByteArrayView mac) const;
    void ParseItem(NetworkDevice& device, QByteArrayView item);

    mutable std::mutex m_mutex;
    std::vector<NetworkDevice> m_devices; // reserved for kMaxDevices once, never beyond
    int m_requestKind = 255;
    bool m_dateSeen = false;
    std::uint32_t m_changeMask = 0;
    std::uint64_t m_revision = 0;
    std::set<QByteArray> m_ignored; // MACs beyond the table's capacity (a bounded number of them)
};

} // namespace qdv
