#include "store/StationList.h"

#include "store/CommaLines.h"
#include "store/DeviceInfoTable.h"

namespace qdv {

namespace {

// A comma or a line break inside a name or address would split the line it is stored in.
QByteArray FieldText(const QString& text) {
    QByteArray bytes = text.toUtf8();
    bytes.removeIf([](char c) { return c == ',' || c == '\r' || c == '\n'; });
    return bytes;
}

// The type code field: "0x2a" as hexadecimal, anything else as a decimal number; 0 when unreadable.
std::uint32_t TypeCode(const QByteArray& field) {
    bool ok = false;
    std::uint32_t value = 0;
    if (field.startsWith("0x") || field.startsWith("0X"))
        value = field.mid(2).toUInt(&ok, 16);
    else
        value = static_cast<std::uint32_t>(std::max(LeadingInteger(field, &ok), 0));
    return ok ? value : 0;
}

} // namespace

StationList::Entry& StationList::At(int id) {
    if (id < 0 || id > 255) {
        m_spare = Entry();
        return m_spare;
    }
    return m_entries[static_cast<std::size_t>(id)];
}

const StationList::Entry& StationList::At(int id) const {
    static const Entry none;
    return id < 0 || id > 255 ? none : m_entries[static_cast<std::size_t>(id)];
}

void StationList::Clear() {
    m_entries.fill(Entry());
}

int StationList::CheckedCount() const {
    int n = 0;
    for (int id = kFirst; id <= kLast; ++id)
        n += At(id).checked ? 1 : 0;
    return n;
}

QByteArray StationList::Text() const {
    QByteArray text;
    for (int id = kFirst; id <= kLast; ++id) {
        const Entry& e = At(id);
        text += QByteArray::number(id) + ',' + (e.checked ? '1' : '0') + ',' + (e.second ? '1' : '0') +
                ",0x" + QByteArray::number(e.type, 16).rightJustified(2, '0') + ',' + FieldText(e.name) +
                ',' + FieldText(e.address) + ",\r\n";
    }
    return text;
}

void StationList::ReadText(const QByteArray& text, const DeviceInfoTable& info) {
    Clear();
    for (const QList<QByteArray>& f : ReadCommaLines(text)) {
        bool ok = false;
        const int id = LeadingInteger(f[0], &ok);
        if (!ok || id < kFirst || id > kLast)
            continue;
        Entry& e = At(id);
        if (f.size() > 1)
            e.checked = LeadingInteger(f[1]) != 0;
        if (f.size() > 2)
            e.second = LeadingInteger(f[2]) != 0;
        if (f.size() > 3)
            e.type = TypeCode(f[3]);
        if (f.size() > 4) {
            const QString name = QString::fromUtf8(f[4]);
            if (name.size() > kNameLength)
                continue;
            if (!name.isEmpty())
                e.name = name;
            else if (e.type != 0)
                e.name = info.StationName(static_cast<int>(e.type));
        }
        if (f.size() > 5) {
            const QString address = QString::fromUtf8(f[5]);
            if (address.size() <= kAddressLength)
                e.address = address;
        }
    }
}

} // namespace qdv
