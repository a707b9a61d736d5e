#pragma once

#include <QString>

namespace qdv {

struct SetupRecord;

// The per-setup options written as the command-line tool takes them.
class SetupOptionText {
public:
    // The primary backup files: "all", "none", a bit set as the settings file keeps it ("129",
    // "0x81"), or a comma-separated list of files by short name ("STD,IDX") or file name
    // ("ZEBU_STD.DAU"), in any case.
    static bool ParsePrimaryFiles(const QString& text, int* bits, QString* error);
    // The tabs and function buttons: "receive=VALUE,send=VALUE,edit=VALUE", any of the three, where
    // VALUE is "off" (the tab is not offered; its buttons are kept for later), "on", "all", "none",
    // F keys joined by "+" ("F1+F3"), or a bit set. Every value but "off" offers the tab. The record
    // changes only when the whole text is good.
    static bool ParseButtons(const QString& text, SetupRecord& record, QString* error);
};

} // namespace qdv
