#pragma once

#include "cli/Command.h"

namespace qdv::cli {

// `discover [--seconds N] [--json]`: one device search on the LAN as the search window runs it (three
// passes of "ENQ:NETWORK" and "ENQ:DEVINFO"), spread over N seconds (default 3) of collecting answers,
// then the devices found: a readable table, or with --json a JSON array only.
class Discover : public Command {
public:
    Discover();
    int Execute(CliContext& ctx, const QStringList& arguments) override;

    // A device's text as the table shows it: control characters (and the backslash) escaped as in
    // C ("\x1b", "\\"), so that an answer cannot move the cursor or clear the terminal.
    static QString TableText(const QString& text);
    // The note on devices that answered after the table was full; the count is a lower bound once it
    // reaches what the table tracks.
    static QString MoreDevicesNote(int ignored);
};

} // namespace qdv::cli
