#include "cli/SetupsMove.h"

#include "cli/CliContext.h"
#include "setups/SetupList.h"

namespace qdv::cli {

SetupsMove::SetupsMove()
    : SetupsVerb(QStringLiteral("move"), QStringLiteral("Move a setup one place up or down the list.")) {
    AddArgument(QStringLiteral("SETUP"), QStringLiteral("the setup's name or number"),
                QStringLiteral("NAME|NUMBER"));
    AddArgument(QStringLiteral("DIRECTION"), QStringLiteral("up or down"), QStringLiteral("up|down"));
}

int SetupsMove::Execute(CliContext& ctx, const QStringList& arguments) {
    SetupList list(ctx.Setups(), ctx.File());
    int k = 0;
    if (const auto done = ParseSetup(ctx, arguments, &k))
        return *done;
    const QString direction = Words().at(1);
    if (direction != QLatin1String("up") && direction != QLatin1String("down"))
        return UsageError(ctx, QStringLiteral("move a setup up or down, not %1").arg(direction));
    const bool up = direction == QLatin1String("up");
    if (!(up ? list.MoveSetupUp(k) : list.MoveSetupDown(k))) {
        ctx.Err() << "qdv70cli: setup " << k << " is already the " << (up ? "first" : "last") << '\n';
        return kExitFailed;
    }
    return Saved(ctx, list);
}

} // namespace qdv::cli
