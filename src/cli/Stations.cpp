#include "cli/Stations.h"

#include "cli/StationsCheck.h"
#include "cli/StationsList.h"
#include "cli/StationsMenu.h"

namespace qdv::cli {

Stations::Stations()
    : CommandGroup(
          QStringLiteral("stations"),
          QStringLiteral("The setup's secondary station list (ZEBU_SEC_LIST.dat) and its station menu.")) {
    AddVerb(std::make_unique<StationsList>(), true);
    AddVerb(std::make_unique<StationsMenu>());
    AddVerb(std::make_unique<StationsCheck>(true));
    AddVerb(std::make_unique<StationsCheck>(false));
}

} // namespace qdv::cli
