#include "cli/Import.h"

#include "cli/CliContext.h"
#include "cli/ConvertCommands.h"

namespace qdv::cli {

Import::Import()
    : Command(QStringLiteral("import"),
              QStringLiteral("Read such a text into the setup's data files, as the editors do on OK.")) {
    AddArgument(QStringLiteral("WHAT"), QStringLiteral("description or crosspoint"),
                QStringLiteral("description|crosspoint"));
    AddArgument(QStringLiteral("FILE"), QStringLiteral("the text file to read"));
}

int Import::Execute(CliContext& ctx, const QStringList& arguments) {
    QCommandLineParser parser;
    if (const auto done = Parse(ctx, arguments, parser))
        return *done;
    QString error;
    const SetupRecord* setup = ctx.ChosenSetup(&error);
    if (setup == nullptr)
        return UsageError(ctx, error);
    return RunImport(*setup, parser.positionalArguments(), ctx.Out(), ctx.Err());
}

} // namespace qdv::cli
