#include "store/DataImage.h"

#include "store/HexText.h"

#include <algorithm>

namespace qdv::image {

QByteArray Decode(const QByteArray& text, int size) {
    QByteArray out(size, '\0');
    const char* p = text.constData();
    const std::int64_t len = text.size();
    for (int a = 0; a < size; ++a) {
        const std::int64_t off = CharOffsetOfByte(a);
        if (off + 1 >= len)
            break;
        out[a] = static_cast<char>(hex::Byte(p + off));
    }
    return out;
}

QByteArray Encode(const QByteArray& image) {
    const int n = static_cast<int>(image.size());
    const int lines = (n + kBytesPerLine - 1) / kBytesPerLine;
    QByteArray out;
    out.reserve(2 * n + 2 * lines);
    char pair[2];
    for (int i = 0; i < n; ++i) {
        hex::PutByte(pair, static_cast<std::uint8_t>(image[i]));
        out.append(pair, 2);
        if ((i + 1) % kBytesPerLine == 0 || i + 1 == n)
            out.append("\r\n", 2);
    }
    return out;
}

std::int64_t FirstDifferingByte(const QByteArray& a, const QByteArray& b) {
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        if (a[i] != b[i])
            return ByteOfCharOffset(i);
    }
    return a.size() == b.size() ? -1 : ByteOfCharOffset(n);
}

} // namespace qdv::image
