#pragma once

#include <QString>
#include <cstdint>

namespace qdv {

// The Status column of a station row: its text and colour (0xRRGGBB) from the station's state and
// result. The receive dialog tells the three kinds of failure apart; the send dialogs say "NG" for all.
// A station in transfer flashes: orange while `blink` is set, white while it is clear.
enum class StatusWords { Receive, Send };

struct StatusCell {
    QString text;
    std::uint32_t rgb = 0;

    bool operator==(const StatusCell&) const = default;
};

StatusCell StationStatusCell(int state, int result, StatusWords words, bool blink);

// Colours of the station rows.
namespace statuscolour {
constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kGreen = 0x008000;
constexpr std::uint32_t kOrange = 0xFF8000;
constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kBlue = 0x0000FF;
constexpr std::uint32_t kRed = 0xFF0000;
constexpr std::uint32_t kOtherColumns = 0x010101;
} // namespace statuscolour

} // namespace qdv
