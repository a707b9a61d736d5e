#include "setups/SetupOptionText.h"

#include "store/DataFileSet.h"
#include "store/SetupRecord.h"

#include <QStringList>

namespace qdv {
namespace {

// A whole bit set within `width` bits, decimal or hexadecimal after "0x".
bool ParseBits(const QString& text, int width, int* bits) {
    bool ok = false;
    const int value = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? text.mid(2).toInt(&ok, 16)
                                                                                : text.toInt(&ok, 10);
    if (!ok || value < 0 || value >= (1 << width))
        return false;
    *bits = value;
    return true;
}

int PrimaryBitOf(const QString& word) {
    for (int bit = 0; bit < datafiles::kPrimaryCount; ++bit) {
        const int code = datafiles::CodeOfCharacter(datafiles::kPrimaryTypes[bit]);
        const QString file = QString::fromLatin1(datafiles::Entry(code).name); // ZEBU_STD.DAU
        if (word.compare(file, Qt::CaseInsensitive) == 0 ||
            word.compare(file.mid(5, 3), Qt::CaseInsensitive) == 0)
            return bit;
    }
    return -1;
}

} // namespace

bool SetupOptionText::ParsePrimaryFiles(const QString& text, int* bits, QString* error) {
    const QString t = text.trimmed();
    const int all = (1 << datafiles::kPrimaryCount) - 1;
    if (t.compare(QLatin1String("all"), Qt::CaseInsensitive) == 0) {
        *bits = all;
        return true;
    }
    if (t.compare(QLatin1String("none"), Qt::CaseInsensitive) == 0) {
        *bits = 0;
        return true;
    }
    if (!t.isEmpty() && t.front().isDigit()) {
        if (ParseBits(t, datafiles::kPrimaryCount, bits))
            return true;
        *error = QStringLiteral("primary files: %1 is not a bit set of 0 to %2").arg(t).arg(all);
        return false;
    }
    int set = 0;
    for (const QString& word : t.split(QLatin1Char(','))) {
        const int bit = PrimaryBitOf(word.trimmed());
        if (bit < 0) {
            *error =
                QStringLiteral("primary files: unknown file \"%1\" (STD, TLN, GPH, LVG, INH, SGP, 422, IDX)")
                    .arg(word.trimmed());
            return false;
        }
        set |= 1 << bit;
    }
    *bits = set;
    return true;
}

bool SetupOptionText::ParseButtons(const QString& text, SetupRecord& record, QString* error) {
    struct Group {
        const char* name;
        int buttons;
        bool* offered;
        int* bits;
    };
    SetupRecord r = record;
    const Group groups[] = {{"receive", 4, &r.receiveAll, &r.receiveButtons},
                            {"send", 6, &r.sendAll, &r.sendButtons},
                            {"edit", 2, &r.editAll, &r.editButtons}};
    for (const QString& part : text.split(QLatin1Char(','))) {
        const qsizetype eq = part.indexOf(QLatin1Char('='));
        const QString name = part.left(eq).trimmed().toLower();
        const QString value = eq < 0 ? QString() : part.mid(eq + 1).trimmed().toLower();
        const Group* g = nullptr;
        for (const Group& candidate : groups) {
            if (name == QLatin1String(candidate.name))
                g = &candidate;
        }
        if (g == nullptr || eq < 0) {
            *error = QStringLiteral("buttons: \"%1\" is not receive=..., send=... or edit=...")
                         .arg(part.trimmed());
            return false;
        }
        const int all = (1 << g->buttons) - 1;
        *g->offered = value != QLatin1String("off");
        if (value == QLatin1String("off") || value == QLatin1String("on"))
            continue;
        if (value == QLatin1String("all")) {
            *g->bits = all;
        } else if (value == QLatin1String("none")) {
            *g->bits = 0;
        } else if (!value.isEmpty() && value.front().isDigit()) {
            if (!ParseBits(value, g->buttons, g->bits)) {
                *error =
                    QStringLiteral("buttons: %1=%2 is not a bit set of 0 to %3").arg(name, value).arg(all);
                return false;
            }
        } else {
            int set = 0;
            for (const QString& key : value.split(QLatin1Char('+'))) {
                bool ok = false;
                const int f = key.startsWith(QLatin1Char('f')) ? key.mid(1).toInt(&ok) : 0;
                if (!ok || f < 1 || f > g->buttons) {
                    *error = QStringLiteral("buttons: %1 has the keys F1 to F%2, not \"%3\"")
                                 .arg(name)
                                 .arg(g->buttons)
                                 .arg(key);
                    return false;
                }
                set |= 1 << (f - 1);
            }
            *g->bits = set;
        }
    }
    record = r;
    return true;
}

} // namespace qdv
