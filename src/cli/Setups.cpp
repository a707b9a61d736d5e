#include "cli/Setups.h"

#include "cli/SetupsList.h"

namespace qdv::cli {

Setups::Setups()
    : CommandGroup(QStringLiteral("setups"), QStringLiteral("List and change the setups of QDV70LIST.INI.")) {
    AddVerb(std::make_unique<SetupsList>(), true);
}

} // namespace qdv::cli
