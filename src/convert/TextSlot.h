#pragma once

#include <QByteArray>
#include <algorithm>
#include <array>

namespace qdv {

// A description or alias as the data files hold it: 16 bytes padded with NUL. The bytes are kept as
// they stand, so a table loaded and saved again reproduces its file byte for byte.
struct TextSlot {
    static constexpr int kSize = 16;

    std::array<char, kSize> bytes{};

    // The text up to the first NUL byte.
    QByteArray Text() const {
        const auto end = std::find(bytes.begin(), bytes.end(), '\0');
        return QByteArray(bytes.data(), static_cast<qsizetype>(end - bytes.begin()));
    }

    // Stores the first 16 bytes of `text`; a longer text is cut, never written past the slot.
    void SetText(const QByteArray& text) {
        bytes.fill('\0');
        std::copy_n(text.constData(), std::min<qsizetype>(text.size(), kSize), bytes.begin());
    }

    void Clear() { bytes.fill('\0'); }
    bool IsEmpty() const { return bytes[0] == '\0'; }

    bool operator==(const TextSlot&) const = default;
};

} // namespace qdv
