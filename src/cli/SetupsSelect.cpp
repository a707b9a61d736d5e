#include "cli/SetupsSelect.h"

#include "cli/CliContext.h"
#include "setups/SetupList.h"

namespace qdv::cli {

SetupsSelect::SetupsSelect()
    : SetupsVerb(QStringLiteral("select"), QStringLiteral("Make a setup the selected one.")) {
    AddArgument(QStringLiteral("SETUP"), QStringLiteral("the setup's name or number"),
                QStringLiteral("NAME|NUMBER"));
}

int SetupsSelect::Execute(CliContext& ctx, const QStringList& arguments) {
    SetupList list(ctx.Setups(), ctx.File());
    int k = 0;
    if (const auto done = ParseSetup(ctx, arguments, &k))
        return *done;
    list.Select(k - 1);
    list.Save();
    return Saved(ctx, list);
}

} // namespace qdv::cli
