#include "cli/Setups.h"

#include "cli/SetupsAdd.h"
#include "cli/SetupsCopy.h"
#include "cli/SetupsDelete.h"
#include "cli/SetupsList.h"
#include "cli/SetupsMove.h"
#include "cli/SetupsSelect.h"
#include "cli/SetupsSet.h"
#include "cli/SetupsShow.h"

namespace qdv::cli {

Setups::Setups()
    : CommandGroup(QStringLiteral("setups"), QStringLiteral("List and change the setups of QDV70LIST.INI.")) {
    AddVerb(std::make_unique<SetupsList>(), true);
    AddVerb(std::make_unique<SetupsShow>());
    AddVerb(std::make_unique<SetupsAdd>());
    AddVerb(std::make_unique<SetupsSet>());
    AddVerb(std::make_unique<SetupsCopy>());
    AddVerb(std::make_unique<SetupsDelete>());
    AddVerb(std::make_unique<SetupsMove>());
    AddVerb(std::make_unique<SetupsSelect>());
}

} // namespace qdv::cli
