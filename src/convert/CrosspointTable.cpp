#include "convert/CrosspointTable.h"

#include "convert/PresentBytes.h"
#include "store/DataImage.h"
#include "store/StandardSettingsLayout.h"

#include <stdexcept>

namespace qdv {

namespace {

constexpr int kCellSize = 2;

} // namespace

std::size_t CrosspointTable::Index(int level, int dest) {
    if (level < 1 || level > kLevels || dest < 1 || dest > kTerminalCount)
        throw std::out_of_range("crosspoint outside 8 levels x 1024 destinations");
    return static_cast<std::size_t>((level - 1) * kTerminalCount + dest - 1);
}

int CrosspointTable::ByteAddress(int level, int dest) {
    const int d = dest - 1;
    using stdlayout::kTerminalsPerHalf;
    return (d / kTerminalsPerHalf) * stdlayout::kHalf +
           ((level - 1) * kTerminalsPerHalf + d % kTerminalsPerHalf) * kCellSize;
}

std::uint16_t CrosspointTable::Source(int level, int dest) const {
    return m_cells[Index(level, dest)];
}

void CrosspointTable::SetSource(int level, int dest, std::uint16_t source) {
    m_cells[Index(level, dest)] = source;
}

void CrosspointTable::LoadDau(const QByteArray& fileText) {
    const QByteArray img = image::Decode(fileText, kImageSize);
    const int present = PresentBytes(fileText, kImageSize);
    for (int level = 1; level <= kLevels; ++level) {
        for (int dest = 1; dest <= kTerminalCount; ++dest) {
            const int a = ByteAddress(level, dest);
            std::uint16_t v = 0;
            if (a + kCellSize <= present)
                v = static_cast<std::uint16_t>((static_cast<unsigned char>(img[a]) << 8) |
                                               static_cast<unsigned char>(img[a + 1]));
            m_cells[Index(level, dest)] = v;
        }
    }
}

QByteArray CrosspointTable::SaveDau() const {
    QByteArray img(kImageSize, '\0');
    for (int level = 1; level <= kLevels; ++level) {
        for (int dest = 1; dest <= kTerminalCount; ++dest) {
            const int a = ByteAddress(level, dest);
            const std::uint16_t v = m_cells[Index(level, dest)];
            img[a] = static_cast<char>(v >> 8);
            img[a + 1] = static_cast<char>(v & 0xFF);
        }
    }
    return image::Encode(img);
}

} // namespace qdv
