#pragma once

#include "store/DataImage.h"

#include <QByteArray>
#include <algorithm>

namespace qdv {

// How many leading bytes of a `size`-byte image a data file's text holds completely (both hexadecimal
// characters present). Tables decoded from a short or truncated file load only these bytes, so an
// entry cut off by the end of the file stays empty instead of being half read.
inline int PresentBytes(const QByteArray& text, int size) {
    const qsizetype fullLines = text.size() / image::kLineLength;
    const qsizetype rest = text.size() % image::kLineLength;
    const qsizetype bytes =
        fullLines * image::kBytesPerLine + std::min<qsizetype>(rest / 2, image::kBytesPerLine);
    return static_cast<int>(std::min<qsizetype>(bytes, size));
}

} // namespace qdv
