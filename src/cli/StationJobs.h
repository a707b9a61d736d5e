#pragma once

#include <QString>

namespace qdv::cli {

class CliContext;

// The jobs of the secondary-station dialogs from the shell, through the same station logic and task
// controller as the windows. Each returns the exit status.

// One line per station that is checked or has a type, name or address: ID, checked, type, name, IP.
int ListStations(CliContext& ctx);
// Get Z Menu: the station menu job, applied to the station list, on LAN setups merged with the devices
// a device search of `searchMs` milliseconds finds (0: no search), and saved.
int RunStationMenu(CliContext& ctx, int searchMs);
// `check all|device|clear`, or a list of stations to check (`check` true) or uncheck; saved.
int CheckStations(CliContext& ctx, bool check, const QString& what);
// Receive or send the data of the checked stations, or of `stations` ("5,9-11") when it is not empty;
// one line per station with its result at the end.
int RunSecondary(CliContext& ctx, bool send, const QString& stations);
// Descriptions (kind 4) or alias tables (kind 5) to station `station`, or to all when `broadcast`.
int RunNamesToSecondary(CliContext& ctx, int kind, int station, bool broadcast);

} // namespace qdv::cli
