#pragma once

#include <QString>

namespace qdv {

// The setup editor's IP address field shows four groups of three places between fixed dots, with a
// blank in every empty place ("192.168.1  .10 "). These helpers read and fill that form.
class IpAddressText {
public:
    static constexpr int kGroupWidth = 3;

    // The address with every blank removed, as it is stored: "192.168.1.10"; an untouched field gives
    // "...".
    static QString Stored(const QString& shown);
    // Whether the field holds a device address: four groups of one to three digits, each 0..255, after
    // the blanks are removed. "255.255.255.255" is refused (a broadcast, not a device), and so is the
    // empty field.
    static bool IsValid(const QString& shown);
    // The stored address in the field's form, each group padded with blanks to three places. A stored
    // text that does not fit the field gives the empty field.
    static QString Shown(const QString& stored);
};

} // namespace qdv
