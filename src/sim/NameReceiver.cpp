#include "sim/NameReceiver.h"

#include "store/AtomicFile.h"
#include "store/DataFileSet.h"
#include "store/DataImage.h"
#include "store/PathNoCase.h"

#include <QDir>
#include <bit>

namespace qdv::sim {

namespace {

constexpr int kHeader = 6;
constexpr int kBlock = 22;
constexpr std::uint8_t kLastRecord = 0x8C;
constexpr std::uint8_t kMoreRecords = 0xCC;

std::uint8_t At(QByteArrayView data, qsizetype i) {
    return static_cast<std::uint8_t>(data[i]);
}

} // namespace

void NameReceiver::Reset() {
    m_station = -1;
    m_levels = 0;
    m_seen.fill(0);
    m_descriptions.Clear();
    m_aliases.Clear();
}

NameReceiver::Result NameReceiver::Take(QByteArrayView data, QString* why) {
    if (data.size() < kHeader + kBlock || (data.size() - kHeader) % kBlock != 0) {
        *why = QStringLiteral("a name record of %1 bytes").arg(data.size());
        return Result::Refused;
    }
    const int station = At(data, 0);
    const bool headerOk = At(data, 4) == station && At(data, 2) == 0x01 && At(data, 3) == 0x31 &&
                          (At(data, 1) == kLastRecord || At(data, 1) == kMoreRecords) &&
                          At(data, 5) == (station == 255 ? 0xFF : 0x00) && station >= 2;
    if (!headerOk || (m_station >= 0 && station != m_station)) {
        *why = QStringLiteral("a name record with the header %1")
                   .arg(QString::fromLatin1(data.first(kHeader).toByteArray().toHex(' ')));
        return Result::Refused;
    }
    for (qsizetype at = kHeader; at < data.size(); at += kBlock) {
        const QByteArrayView b = data.sliced(at, kBlock);
        const std::uint8_t half = At(b, 2);
        const std::uint8_t level = At(b, 3);
        const int number = (At(b, 4) << 8) | At(b, 5);
        if (At(b, 0) != 0 || At(b, 1) != 0 || (half != 0x00 && half != 0x80) || std::popcount(level) != 1 ||
            number < 1 || number > kTerminalCount) {
            *why = QStringLiteral("a name block %1")
                       .arg(QString::fromLatin1(b.first(6).toByteArray().toHex(' ')));
            return Result::Refused;
        }
    }
    m_station = station;
    for (qsizetype at = kHeader; at < data.size(); at += kBlock) {
        const QByteArrayView b = data.sliced(at, kBlock);
        const bool second = At(b, 2) == 0x80;
        const std::uint8_t level = At(b, 3);
        const int number = (At(b, 4) << 8) | At(b, 5);
        const Side side = second ? Side::Destination : Side::Source;
        TextSlot& slot = level == 0x01 ? m_descriptions.At(side, number)
                                       : m_aliases.Table(std::countr_zero(level)).At(side, number);
        std::copy_n(b.data() + 6, TextSlot::kSize, slot.bytes.begin());
        m_seen[static_cast<std::size_t>((second ? kTerminalCount : 0) + number - 1)] |= level;
        m_levels |= level;
    }
    return At(data, 1) == kLastRecord ? Result::Last : Result::Taken;
}

bool NameReceiver::Store(const QString& dataDir, QString* error) const {
    if (m_levels != 0x01 && m_levels != 0xFE) {
        *error = QStringLiteral("names of levels %1 arrived, not one whole kind")
                     .arg(m_levels, 2, 16, QLatin1Char('0'));
        return false;
    }
    for (std::size_t i = 0; i < m_seen.size(); ++i) {
        if (m_seen[i] != m_levels) {
            *error = QStringLiteral("terminal %1 of the walk is missing names").arg(i + 1);
            return false;
        }
    }
    const QString folder =
        JoinNoCase(JoinNoCase(dataDir, datafiles::StationFolderName(m_station)), QStringLiteral("Name"));
    if (!QDir().mkpath(folder)) {
        *error = QStringLiteral("cannot create %1").arg(folder);
        return false;
    }
    if (m_levels == 0x01)
        return WriteFileAtomically(JoinNoCase(folder, QStringLiteral("DESCRIPTION.DAU")),
                                   image::Encode(m_descriptions.Image()), error);
    for (int k = 1; k <= AliasTables::kTables; ++k) {
        if (!WriteFileAtomically(JoinNoCase(folder, datafiles::AliasFileName(k)), m_aliases.SaveDau(k),
                                 error))
            return false;
    }
    return true;
}

} // namespace qdv::sim
