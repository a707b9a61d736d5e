#pragma once

#include "convert/TerminalSide.h"
#include "store/StandardSettingsLayout.h"

#include <QByteArray>
#include <array>
#include <cstdint>

namespace qdv {

// The source routed to every destination on each of the 8 levels, as ZEBU_XPT.DAU holds it.
//
// The file's image has the two halves of the standard settings' image, each cell 2 bytes high byte first: the
// first half has level 1 destinations 1..512, then level 2 and so on to level 8; the second half the same for
// destinations 513..1024.
class CrosspointTable {
public:
    static constexpr int kLevels = 8;
    static constexpr int kImageSize = stdlayout::kImageSize;

    // Source routed to destination `dest` (1..1024) on `level` (1..8); 0 for none.
    std::uint16_t Source(int level, int dest) const;
    void SetSource(int level, int dest, std::uint16_t source);

    void Clear() { m_cells.fill(0); }
    // Replaces the table with the cells of ZEBU_XPT.DAU's text. Cells the text does not hold completely
    // (a short or truncated file) stay 0; nothing past the data is read.
    void LoadDau(const QByteArray& fileText);
    // The text of ZEBU_XPT.DAU: 128 lines of 64 cells, upper case, CR LF.
    QByteArray SaveDau() const;

    // Byte address of a cell in the image.
    static int ByteAddress(int level, int dest);

    bool operator==(const CrosspointTable&) const = default;

private:
    static std::size_t Index(int level, int dest);

    std::array<std::uint16_t, kLevels * kTerminalCount> m_cells{};
};

} // namespace qdv
