#include "cli/Import.h"

#include "cli/CliContext.h"
#include "cli/ConvertCommands.h"
#include "cli/FolderHold.h"

namespace qdv::cli {

Import::Import()
    : Command(QStringLiteral("import"),
              QStringLiteral("Read such a text into the setup's data files, as the editors do on OK.")) {
    AddArgument(QStringLiteral("WHAT"), QStringLiteral("description or crosspoint"),
                QStringLiteral("description|crosspoint"));
    AddArgument(QStringLiteral("FILE"), QStringLiteral("the text file to read"));
    AddOption(
        QCommandLineOption(QStringLiteral("keep-missing"),
                           QStringLiteral("Descriptions: keep the terminals FILE does not name, instead "
                                          "of clearing them.")));
}

int Import::Execute(CliContext& ctx, const QStringList& arguments) {
    QCommandLineParser parser;
    if (const auto done = Parse(ctx, arguments, parser))
        return *done;
    return WithChosenSetup(ctx, [&](const SetupRecord& setup) {
        FolderLock folder;
        const QString job = QStringLiteral("importing ") + parser.positionalArguments().value(0);
        if (const int held = HoldFolder(ctx, setup.backupDataPath, job, folder))
            return held;
        return RunImport(setup, parser.positionalArguments(), ctx.Out(), ctx.Err(),
                         {parser.isSet(QStringLiteral("keep-missing"))});
    });
}

} // namespace qdv::cli
