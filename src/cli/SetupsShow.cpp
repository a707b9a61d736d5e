#include "cli/SetupsShow.h"

#include "cli/CliContext.h"
#include "setups/SetupList.h"

namespace qdv::cli {

SetupsShow::SetupsShow()
    : SetupsVerb(
          QStringLiteral("show"),
          QStringLiteral("Print every field of a setup as KEY=value, with the keys of QDV70LIST.INI.")) {
    AddArgument(QStringLiteral("SETUP"), QStringLiteral("the setup's name or number"),
                QStringLiteral("NAME|NUMBER"));
}

int SetupsShow::Execute(CliContext& ctx, const QStringList& arguments) {
    SetupList list(ctx.Setups(), ctx.File());
    int k = 0;
    if (const auto done = ParseSetup(ctx, arguments, &k))
        return *done;
    for (const auto& [key, value] : TmFile::SetupEntries(list.Record(k), list.Font(k)))
        ctx.Out() << key << '=' << value << '\n';
    return kExitOk;
}

} // namespace qdv::cli
