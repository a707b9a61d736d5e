#include "store/DataFileSet.h"

#include "store/HexText.h"

#include <QRegularExpression>

#include <algorithm>
#include <array>

namespace qdv {

namespace {

constexpr std::array<DataFileEntry, datafiles::kCodes> kTable = {{
    {1, '1', "ZEBU_STD.DAU", 33024, 16384},
    {2, '2', "ZEBU_XPT.DAU", 33024, 16384},
    {3, '3', "ZEBU_TLN.DAU", 1032, 512},
    {4, '4', "ZEBU_GPH.DAU", 90322, 44810},
    {5, '5', "ZEBU_LVG.DAU", 66048, 32768},
    {6, '6', "ZEBU_INH.DAU", 264192, 131072},
    {7, '7', "ZEBU_NME.DAU", 71742, 35592},
    {8, '8', "ZEBU_%03d.DAT", 5222, 2590},
    {9, '9', "ZEBU_SGP.DAU", 33024, 16384},
    {10, 'A', "NON", 0, 0},
    {11, 'B', "ZEBU_422.DAU", 1046, 518},
    {12, 'C', "NON", 0, 0},
    {13, 'D', "NON", 0, 0},
    {14, 'E', "NON", 0, 0},
    {15, 'F', "ZEBU_IDX.DAU", 8256, 4096},
    {16, '\0', "NON", 0, 0},
}};

constexpr DataFileEntry kNone{};

} // namespace

bool DataFileEntry::HasFile() const {
    return fileSize > 0;
}

namespace datafiles {

bool SizeRule::Accepts(qint64 bytes) const {
    if (size == 0)
        return bytes <= limit;
    return bytes == size || (orDouble && bytes == 2 * size);
}

QString SizeRule::Mismatch(qint64 bytes) const {
    const QString expected = size == 0  ? QStringLiteral("at most %1").arg(limit)
                             : orDouble ? QStringLiteral("%1 or %2").arg(size).arg(2 * size)
                                        : QString::number(size);
    return QStringLiteral("%1 bytes received, %2 expected").arg(bytes).arg(expected);
}

namespace {

bool IsStationFileName(const QString& name) {
    static const QRegularExpression station(QStringLiteral(R"(^ZEBU_\d{3}\.DAT$)"),
                                            QRegularExpression::CaseInsensitiveOption);
    return station.match(name).hasMatch();
}

} // namespace

qint64 KnownFileSize(const QString& name) {
    static const QRegularExpression alias(QStringLiteral(R"(^ZEBU_ALS[1-7]\.DAU$)"),
                                          QRegularExpression::CaseInsensitiveOption);
    if (IsStationFileName(name))
        return Entry(kStationDat).fileSize;
    if (alias.match(name).hasMatch())
        return kAliasFileSize;
    for (int code = 1; code <= kCodes; ++code) {
        const DataFileEntry& e = Entry(code);
        if (code != kStationDat && e.HasFile() &&
            name.compare(QLatin1String(e.name), Qt::CaseInsensitive) == 0)
            return e.fileSize;
    }
    return 0;
}

bool SizeAccepted(const QString& name, qint64 size) {
    const qint64 known = KnownFileSize(name);
    const bool tieLines = name.compare(QLatin1String(Entry(kTln).name), Qt::CaseInsensitive) == 0;
    return known == 0 || size == known || (tieLines && size == 2 * known);
}

SizeRule ReceiveRule(const QString& name) {
    SizeRule rule;
    rule.limit = LargestFileSize();
    // A station sends its data file with whatever size it has.
    if (IsStationFileName(name))
        return rule;
    rule.size = KnownFileSize(name);
    rule.orDouble = name.compare(QLatin1String(Entry(kTln).name), Qt::CaseInsensitive) == 0;
    if (rule.size > 0)
        rule.limit = rule.orDouble ? 2 * rule.size : rule.size;
    return rule;
}

qint64 LargestFileSize() {
    qint64 largest = kAliasFileSize;
    for (const DataFileEntry& e : kTable)
        largest = std::max<qint64>(largest, e.fileSize);
    return largest;
}

const DataFileEntry& Entry(int code) {
    if (code < 1 || code > kCodes)
        return kNone;
    return kTable[static_cast<std::size_t>(code - 1)];
}

int CodeOfCharacter(char c) {
    return std::max(0, hex::DigitValue(c));
}

std::uint8_t PrimaryDoneBit(int code) {
    for (int i = 0; i < kPrimaryCount; ++i) {
        if (CodeOfCharacter(kPrimaryTypes[i]) == code)
            return static_cast<std::uint8_t>(1u << i);
    }
    return 0;
}

QString FileName(int code, int station) {
    if (code == kStationDat)
        return QStringLiteral("ZEBU_%1.DAT").arg(station, 3, 10, QLatin1Char('0'));
    return QString::fromLatin1(Entry(code).name);
}

QString AliasFileName(int k) {
    return QStringLiteral("ZEBU_ALS%1.DAU").arg(k);
}

QString StationFolderName(int station) {
    return QStringLiteral("ZEBU_%1").arg(station, 3, 10, QLatin1Char('0'));
}

} // namespace datafiles
} // namespace qdv
