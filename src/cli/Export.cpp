#include "cli/Export.h"

#include "cli/CliContext.h"
#include "cli/ConvertCommands.h"

namespace qdv::cli {

Export::Export()
    : Command(QStringLiteral("export"),
              QStringLiteral(
                  "Write the descriptions and aliases, or the crosspoints, as comma-separated text.")) {
    AddArgument(QStringLiteral("WHAT"), QStringLiteral("description or crosspoint"),
                QStringLiteral("description|crosspoint"));
    AddArgument(QStringLiteral("FILE"), QStringLiteral("the text file to write"));
}

int Export::Execute(CliContext& ctx, const QStringList& arguments) {
    if (const auto done = Parse(ctx, arguments))
        return *done;
    return WithChosenSetup(
        ctx, [&](const SetupRecord& setup) { return RunExport(setup, Words(), ctx.Out(), ctx.Err()); });
}

} // namespace qdv::cli
