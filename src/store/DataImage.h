#pragma once

#include <QByteArray>
#include <cstdint>

namespace qdv {

// A data file (.DAU, .DAT) is the device's memory image written as text: 128 bytes a line as 256
// hexadecimal characters followed by CR LF. These helpers convert between the image and its text.
namespace image {

constexpr int kBytesPerLine = 128;
constexpr int kCharsPerLine = 256;
constexpr int kLineLength = 258; // with CR LF

// Character offset in the file of byte address `a` of the image.
constexpr std::int64_t CharOffsetOfByte(std::int64_t a) {
    return (2 * a / kCharsPerLine) * kLineLength + (2 * a) % kCharsPerLine;
}

// Decodes the text of a data file into `size` bytes. Bytes whose characters lie beyond the end of the
// text stay 0, so a short or damaged file gives a partly empty image instead of a read past the data.
QByteArray Decode(const QByteArray& text, int size);

// Encodes an image as text: upper-case digits, 128 bytes a line, CR LF after every line (the last
// line may be shorter).
QByteArray Encode(const QByteArray& image);

} // namespace image
} // namespace qdv
