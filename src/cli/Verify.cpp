#include "cli/Verify.h"

#include "cli/CliContext.h"
#include "cli/HistoryOutput.h"

namespace qdv::cli {

Verify::Verify()
    : Command(QStringLiteral("verify"),
              QStringLiteral("Check every data file of the backup folder against the last snapshot and its "
                             "expected size; report files changed outside the program, missing, or of the "
                             "wrong size. Exit 0 when clean, 1 otherwise.")) {
    AddJsonOption(QStringLiteral("Print the result as a JSON object."));
}

int Verify::Execute(CliContext& ctx, const QStringList& arguments) {
    if (const auto done = Parse(ctx, arguments))
        return *done;
    return WithChosenSetup(ctx, [&](const SetupRecord& setup) {
        return HistoryOutput::Verify(setup.backupDataPath, Json(), ctx.Out(), ctx.Err());
    });
}

} // namespace qdv::cli
