#pragma once

#include <cstdint>

// The data files and the packet records carry bytes as two hexadecimal characters, high digit first,
// written in upper case. Reading is lenient the way the devices are: a character below ':' counts as
// its low four bits, any other character as its low four bits plus 9, so "A".."F" and "a".."f" both
// give 10..15 and nothing else is checked.
namespace qdv::hex {

constexpr char kDigits[] = "0123456789ABCDEF";

constexpr int Nibble(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < ':' ? (u & 0x0F) : ((u & 0x0F) + 9) & 0xFF;
}

// Two characters to one byte.
constexpr std::uint8_t Byte(const char* p) {
    return static_cast<std::uint8_t>(((Nibble(p[0]) << 4) + Nibble(p[1])) & 0xFF);
}

// A field of 2, 4, 6 or 8 characters, most significant pair first.
constexpr std::uint32_t Field(const char* p, int chars) {
    std::uint32_t v = 0;
    for (int i = 0; i + 1 < chars; i += 2)
        v = (v << 8) | Byte(p + i);
    return v;
}

constexpr void PutByte(char* out, std::uint8_t b) {
    out[0] = kDigits[b >> 4];
    out[1] = kDigits[b & 0x0F];
}

// Writes v as `chars` upper-case digits (at most 8).
constexpr void PutField(char* out, std::uint32_t v, int chars) {
    for (int i = chars - 1; i >= 0; --i) {
        out[i] = kDigits[v & 0x0F];
        v >>= 4;
    }
}

// Value of a hexadecimal digit of either case, -1 for any other character (where a strict reading is
// wanted: a data type character, a number read as strtol reads it).
constexpr int DigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

constexpr bool IsStrictDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

} // namespace qdv::hex
