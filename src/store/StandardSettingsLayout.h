#pragma once

#include <array>
#include <cstdint>

// Where the standard settings file ZEBU_STD.DAU keeps what the program reads and changes: byte addresses
// in the file's image. The image is 16384 bytes in two halves of 8192; the first half serves terminals
// 1..512, type names 1..16 and level names 1..8, the second half the rest at the same places. The
// crosspoint file ZEBU_XPT.DAU is an image of the same two halves.
namespace qdv::stdlayout {

constexpr int kImageSize = 16384;
constexpr int kHalf = 8192;
constexpr int kTerminalsPerHalf = 512;

// Type names: 32 types, 16 a half, each in an 8-byte slot of which the first 4 bytes are the name.
constexpr int kTypes = 32;
constexpr int kTypesPerHalf = 16;
constexpr int kTypeNameSlot = 8;
constexpr int kTypeNameLength = 4;

// Level names: 16 levels, 8 a half, 8 bytes each from byte 128 of the half.
constexpr int kLevels = 16;
constexpr int kLevelsPerHalf = 8;
constexpr int kLevelNames = 128;
constexpr int kLevelNameLength = 8;

// The top bit of this byte is the name style: set for descriptions, clear for type and number.
constexpr int kNameStyle = 254;
constexpr std::uint8_t kNameStyleDescription = 0x80;

// Terminal entries in each half: 512 sources of 4 bytes, then 512 destinations of 5 bytes. Bytes 0 and
// 1 of an entry are its label (see LabelOf), bytes 2 and 3 a source's second number.
constexpr int kSourceEntries = 256;
constexpr int kSourceEntrySize = 4;
constexpr int kDestinationEntries = 2304;
constexpr int kDestinationEntrySize = 5;

// The control area: four u16 low byte first, each stored as number - 1 (source start, source end,
// destination start, destination end), then its name of 4 characters and a zero byte.
constexpr int kControlArea = 5376;
constexpr int kControlAreaName = 5384;
constexpr int kControlAreaNameLength = 4;

// Secondary stations 1..255. The presence bitmap has station 1 in bit 7 of its first byte; some
// controller types keep it at the second address (the device information says which). Station u's
// detected unit (non-zero when present) is at kStationUnits + u - 1, its device type at
// kStationDeviceTypes + u - 1.
constexpr int kStations = 255;
constexpr int kStationBitmap = 5408;
constexpr int kStationBitmapElsewhere = 7942;
constexpr int kStationBitmapSize = 32;
constexpr int kStationUnits = 5568;
constexpr int kStationDeviceTypes = 5824;
constexpr int kStationTableSize = 256;
// What a controller answers to the station menu request: both station tables.
constexpr int kStationMenu = kStationUnits;
constexpr int kStationMenuSize = 2 * kStationTableSize;

// Station u's byte, counted from the bitmap's start, and its bit in that byte.
constexpr int StationBitmapByte(int u) {
    return (u - 1) / 8;
}
constexpr std::uint8_t StationBit(int u) {
    return static_cast<std::uint8_t>(0x80 >> ((u - 1) % 8));
}

constexpr int kModelName = 8160;
constexpr int kModelNameLength = 8;
constexpr int kControllerType = 8191;

// Byte 253 of the second half: 0 (Type16) numbers the first half's labels in decimal digits, any
// other value (Type32) in binary. Byte 255 of the second half: 0 for 8 levels, else 16.
constexpr int kTypeMode = kHalf + 253;
constexpr int kLevelMode = kHalf + 255;

// Byte address of the name of type index t (0..31) and level index l (0..15).
constexpr int TypeNameAt(int t) {
    return (t / kTypesPerHalf) * kHalf + (t % kTypesPerHalf) * kTypeNameSlot;
}
constexpr int LevelNameAt(int l) {
    return (l / kLevelsPerHalf) * kHalf + kLevelNames + (l % kLevelsPerHalf) * kLevelNameLength;
}

// Byte address of the entry of source or destination index j (0..1023).
constexpr int SourceEntryAt(int j) {
    return (j / kTerminalsPerHalf) * kHalf + kSourceEntries + kSourceEntrySize * (j % kTerminalsPerHalf);
}
constexpr int DestinationEntryAt(int j) {
    return (j / kTerminalsPerHalf) * kHalf + kDestinationEntries +
           kDestinationEntrySize * (j % kTerminalsPerHalf);
}

// A label: the type index (0..31) and the number.
struct EntryLabel {
    int typeIndex = 0;
    int number = 0;
};

// True when the label of terminal index j is in decimal digits: in the first half unless the type mode
// byte is not 0 (`type32`). Decimal: the type index (0..15) in the upper nibble of byte 0, the number as
// three decimal digits in its lower nibble and byte 1. Binary: the type index's low four bits in the upper
// nibble, bit 3 set for indexes 16..31, and a ten-bit number in bits 0 and 1 and byte 1.
constexpr bool DecimalLabel(int j, bool type32) {
    return j < kTerminalsPerHalf && !type32;
}

constexpr EntryLabel LabelOf(bool decimal, std::uint8_t b0, std::uint8_t b1) {
    if (decimal)
        return {b0 >> 4, (b0 & 0x0F) * 100 + (b1 >> 4) * 10 + (b1 & 0x0F)};
    return {(b0 >> 4) + ((b0 & 0x08) ? 16 : 0), ((b0 & 0x03) << 8) | b1};
}

// Bytes 0 and 1 of an entry holding a label; the caller keeps the type index and number in range.
constexpr std::array<std::uint8_t, 2> LabelBytes(bool decimal, int typeIndex, int number) {
    if (decimal)
        return {static_cast<std::uint8_t>((typeIndex << 4) | (number / 100)),
                static_cast<std::uint8_t>((((number / 10) % 10) << 4) | (number % 10))};
    return {static_cast<std::uint8_t>(((typeIndex & 0x0F) << 4) | (typeIndex >= 16 ? 0x08 : 0) |
                                      ((number >> 8) & 0x03)),
            static_cast<std::uint8_t>(number & 0xFF)};
}

} // namespace qdv::stdlayout
