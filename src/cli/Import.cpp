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
    if (const auto done = Parse(ctx, arguments))
        return *done;
    return WithChosenSetup(ctx, [&](const SetupRecord& setup) {
        FolderLock folder;
        const QString job = QStringLiteral("importing ") + Words().value(0);
        if (const int held = HoldFolder(ctx, setup.backupDataPath, job, folder))
            return held;
        return RunImport(setup, Words(), ctx.Out(), ctx.Err(),
                         {Parsed().isSet(QStringLiteral("keep-missing"))});
    });
}

} // namespace qdv::cli
