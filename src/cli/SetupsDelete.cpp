#include "cli/SetupsDelete.h"

#include "cli/CliContext.h"
#include "setups/SetupList.h"

namespace qdv::cli {

SetupsDelete::SetupsDelete() : SetupsVerb(QStringLiteral("delete"), QStringLiteral("Remove a setup.")) {
    AddArgument(QStringLiteral("SETUP"), QStringLiteral("the setup's name or number"),
                QStringLiteral("NAME|NUMBER"));
}

int SetupsDelete::Execute(CliContext& ctx, const QStringList& arguments) {
    SetupList list(ctx.Setups(), ctx.File());
    int k = 0;
    if (const auto done = ParseSetup(ctx, arguments, &k))
        return *done;
    list.RemoveSetup(k);
    return Saved(ctx, list);
}

} // namespace qdv::cli
