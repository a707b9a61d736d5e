#include "convert/CrosspointList.h"

#include "store/AtomicFile.h"
#include "store/HexText.h"

#include <QFile>
#include <algorithm>
#include <array>
#include <cstdint>

namespace qdv {

namespace {

constexpr int kLevels = 8;
constexpr int kDestinations = 1024;
constexpr int kHalf = 512;
constexpr int kLines = 128;
constexpr int kCellsPerLine = 64;
constexpr int kMaxLine = 300;
constexpr int kRecordsPerLine = 32;

using Table = std::array<std::array<std::uint16_t, kDestinations + 1>, kLevels + 1>;

// Reads one cell of four characters with base 16, stopping at the first character that is not a
// hexadecimal digit (as strtol does).
std::uint16_t ReadCell(const QByteArray& line, int at) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4 && at + i < line.size(); ++i) {
        const int d = hex::DigitValue(line[at + i]);
        if (d < 0)
            break;
        v = (v << 4) | static_cast<std::uint32_t>(d);
    }
    return static_cast<std::uint16_t>(v);
}

// Splits the file into lines the way a line reader with a 300-character buffer does: a line ends after
// its line feed or after 299 characters. Lines past the data stay empty, so a short file reads as zeros.
void FillTable(const QByteArray& data, Table& table) {
    qsizetype pos = 0;
    for (int lineNo = 0; lineNo < kLines; ++lineNo) {
        QByteArray line;
        if (pos < data.size()) {
            qsizetype end = data.indexOf('\n', pos);
            end = end < 0 ? data.size() : end + 1;
            end = std::min(end, pos + kMaxLine - 1);
            line = data.mid(pos, end - pos);
            pos = end;
        }
        const int half = lineNo / (kLines / 2);
        const int inHalf = lineNo % (kLines / 2);
        const int level = inHalf / (kHalf / kCellsPerLine) + 1;
        const int k = inHalf % (kHalf / kCellsPerLine);
        for (int c = 0; c < kCellsPerLine; ++c)
            table[level][static_cast<std::size_t>(kHalf * half + kCellsPerLine * k + c + 1)] =
                ReadCell(line, 4 * c);
    }
}

} // namespace

int MakeCrosspointList(const QString& inputPath, const QString& outputPath) {
    QFile in(inputPath);
    if (!in.open(QIODevice::ReadOnly))
        return kListCannotOpen;
    const QByteArray data = in.readAll();
    const bool readOk = in.error() == QFileDevice::NoError;
    in.close();
    if (!readOk)
        return kListInputClose;

    Table table{};
    FillTable(data, table);

    QByteArray out;
    int records = 0;
    for (int half = 0; half < 2; ++half) {
        for (int i = 0; i < kHalf; ++i) {
            const int d = kHalf * half + i + 1;
            for (int level = 1; level <= kLevels; ++level) {
                const unsigned s = table[level][static_cast<std::size_t>(d)];
                if (s == 0)
                    continue;
                unsigned mask = 0;
                for (int other = 1; other <= kLevels; ++other) {
                    if (table[other][static_cast<std::size_t>(d)] == s) {
                        mask |= 1u << (other - 1);
                        table[other][static_cast<std::size_t>(d)] = 0;
                    }
                }
                // A source number of more than three hexadecimal digits cannot be written in its
                // three characters; such a cell comes only from a damaged file and is left out
                // rather than shifting every record after it.
                if (s > 0xFFF)
                    continue;
                char rec[8];
                hex::PutByte(rec, static_cast<std::uint8_t>(mask));
                hex::PutField(rec + 2, static_cast<std::uint32_t>(d), 3);
                // The destination goes rotated: its second and third digit first, its first digit last.
                const char first = rec[2];
                rec[2] = rec[3];
                rec[3] = rec[4];
                rec[4] = first;
                hex::PutField(rec + 5, s, 3);
                out.append(rec, 8);
                if (++records % kRecordsPerLine == 0)
                    out.append("\r\n", 2);
            }
        }
    }
    if (records % kRecordsPerLine != 0)
        out.append("\r\n", 2);
    if (out.isEmpty())
        return kListWriteFailed;
    if (outputPath.isEmpty())
        return kListCannotOpen;
    return WriteFileAtomically(outputPath, out) ? kListOk : kListWriteFailed;
}

} // namespace qdv
