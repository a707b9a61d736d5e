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

// Byte address of the image at character offset `c` of the file; the line end counts as the next byte.
constexpr std::int64_t ByteOfCharOffset(std::int64_t c) {
    const std::int64_t column = c % kLineLength;
    return (c / kLineLength) * kBytesPerLine + (column < kCharsPerLine ? column / 2 : kBytesPerLine);
}

// The byte address of the first difference between two data file texts, -1 when they are equal; a
// text that ends early differs where it ends.
std::int64_t FirstDifferingByte(const QByteArray& a, const QByteArray& b);

// Decodes the text of a data file into `size` bytes. Bytes whose characters lie beyond the end of the
// text stay 0, so a short or damaged file gives a partly empty image instead of a read past the data.
QByteArray Decode(const QByteArray& text, int size);

// Encodes an image as text: upper-case digits, 128 bytes a line, CR LF after every line (the last
// line may be shorter).
QByteArray Encode(const QByteArray& image);

} // namespace image
} // namespace qdv
