#include "store/DeviceInfoTable.h"

#include "store/CommaLines.h"

namespace qdv {

void DeviceInfoTable::Clear() {
    m_entries.fill(Entry());
}

void DeviceInfoTable::ReadText(const QByteArray& text) {
    Clear();
    for (const QList<QByteArray>& fields : ReadCommaLines(text)) {
        bool ok = false;
        const int code = LeadingInteger(fields[0], &ok);
        if (!ok || code < 1 || code > 255)
            continue;
        Entry& e = m_entries[static_cast<std::size_t>(code)];
        const QString name = fields.size() > 1 ? QString::fromUtf8(fields[1]).left(kNameLength) : QString();
        e.name = name.isEmpty() ? QStringLiteral("Unknown") : name;
        e.bitmap = fields.size() > 2 && fields[2].startsWith('y');
    }
}

QString DeviceInfoTable::Name(int code) const {
    return code >= 1 && code <= 255 ? m_entries[static_cast<std::size_t>(code)].name : QString();
}

bool DeviceInfoTable::Bitmap(int code) const {
    return code >= 1 && code <= 255 && m_entries[static_cast<std::size_t>(code)].bitmap;
}

QString DeviceInfoTable::StationName(int code) const {
    const QString name = Name(code);
    return name.isEmpty() ? QStringLiteral("Unknow_%1").arg(code) : name;
}

} // namespace qdv
