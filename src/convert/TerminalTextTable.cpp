#include "convert/TerminalTextTable.h"

#include <algorithm>
#include <stdexcept>

namespace qdv {

TerminalTextTable::TerminalTextTable() : m_slots(2 * kTerminalCount) {}

int TerminalTextTable::Index(Side side, int number) {
    if (number < 1 || number > kTerminalCount)
        throw std::out_of_range("terminal number outside 1..1024");
    return (side == Side::Destination ? kTerminalCount : 0) + number - 1;
}

TextSlot& TerminalTextTable::At(Side side, int number) {
    return m_slots[static_cast<std::size_t>(Index(side, number))];
}

const TextSlot& TerminalTextTable::At(Side side, int number) const {
    return m_slots[static_cast<std::size_t>(Index(side, number))];
}

void TerminalTextTable::Clear() {
    for (TextSlot& s : m_slots)
        s.Clear();
}

void TerminalTextTable::ReadImage(const QByteArray& image) {
    for (std::size_t i = 0; i < m_slots.size(); ++i) {
        TextSlot& slot = m_slots[i];
        slot.Clear();
        const qsizetype at = static_cast<qsizetype>(i) * TextSlot::kSize;
        const qsizetype n = std::clamp<qsizetype>(image.size() - at, 0, TextSlot::kSize);
        std::copy_n(image.constData() + at, n, slot.bytes.begin());
    }
}

QByteArray TerminalTextTable::Image() const {
    QByteArray out;
    out.reserve(kImageSize);
    for (const TextSlot& s : m_slots)
        out.append(s.bytes.data(), TextSlot::kSize);
    return out;
}

} // namespace qdv
