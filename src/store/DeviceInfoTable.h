#pragma once

#include <QByteArray>
#include <QString>
#include <array>

namespace qdv {

// Device type names and flags, one entry per device type code 1..255, as Device/DeviceInfo.txt in the
// home folder gives them: one line per type, "code,name,flag". The flag tells that the type keeps its
// station bitmap at the second place of the standard settings image.
class DeviceInfoTable {
public:
    static constexpr int kNameLength = 20;

    void Clear();
    // Replaces the table with the lines of `text`. A code that is not 1..255 skips its line; a name is
    // cut to 20 characters, an empty one reads "Unknown"; the flag counts by its first character, "y".
    void ReadText(const QByteArray& text);

    // Name of a type code; empty for a code the file does not name or outside 1..255.
    QString Name(int code) const;
    bool Bitmap(int code) const;
    // What a station of type `code` is called: the table's name, or "Unknow_<code>" without one.
    QString StationName(int code) const;

private:
    struct Entry {
        QString name;
        bool bitmap = false;
    };
    std::array<Entry, 256> m_entries;
};

} // namespace qdv
