#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

namespace qdv {

class DeviceInfoTable;

// What the secondary-station dialogs remember per setup about stations 1..255: whether the operator
// checked the station, a second flag kept as it was found, the device type code, the device name and
// the IP address. Its file is ZEBU_SEC_LIST.dat in the setup's backup folder, one line per station
// 2..254: "id,checked,second,0xtt,name,address," and CR LF.
class StationList {
public:
    static constexpr int kFirst = 2;
    static constexpr int kLast = 254;
    static constexpr int kNameLength = 20;
    static constexpr int kAddressLength = 16;

    struct Entry {
        bool checked = false;
        bool second = false;
        std::uint32_t type = 0;
        QString name;
        QString address;

        bool operator==(const Entry&) const = default;
    };

    // Entry of station `id`; ids outside 0..255 give a spare entry that is never stored.
    Entry& At(int id);
    const Entry& At(int id) const;

    void Clear();
    int CheckedCount() const;

    // The file text: 253 lines for the stations 2..254.
    QByteArray Text() const;
    // Replaces the list with the lines of a file's text. A line whose ID is not 2..254 is ignored; a
    // name over 20 or an address over 16 characters ends its line there, keeping the fields before. A
    // station with a type code and no name is named after its type (`info`).
    void ReadText(const QByteArray& text, const DeviceInfoTable& info);

    bool operator==(const StationList&) const = default;

private:
    std::array<Entry, 256> m_entries;
    Entry m_spare;
};

} // namespace qdv
