#pragma once

#include "convert/TerminalSide.h"
#include "convert/TextSlot.h"

#include <QByteArray>
#include <vector>

namespace qdv {

// One 16-byte text per source and per destination (a description or one alias). Its image is the
// layout the name files share: sources 1..1024 in bytes 0..16383, destinations in bytes 16384..32767.
class TerminalTextTable {
public:
    static constexpr int kImageSize = 2 * kTerminalCount * TextSlot::kSize;

    TerminalTextTable();

    // Slot of terminal `number` (1..1024).
    TextSlot& At(Side side, int number);
    const TextSlot& At(Side side, int number) const;

    void Clear();
    // Reads every slot from the first 32768 bytes of `image`; bytes it lacks read as 0.
    void ReadImage(const QByteArray& image);
    // The 32768-byte image of the table.
    QByteArray Image() const;

    bool operator==(const TerminalTextTable&) const = default;

private:
    static int Index(Side side, int number);

    std::vector<TextSlot> m_slots; // sources, then destinations
};

} // namespace qdv
