#include "cli/Receive.h"

#include "cli/CliContext.h"
#include "cli/JobCommand.h"

namespace qdv::cli {

Receive::Receive()
    : Command(QStringLiteral("receive"),
              QStringLiteral("Receive data from the device into the setup's backup folder.")) {
    AddArgument(QStringLiteral("KIND"),
                QStringLiteral("description (ZEBU_NME.DAU), crosspoint (ZEBU_XPT.DAU) or primary "
                               "(the setup's Primary files)"),
                QStringLiteral("description|crosspoint|primary"));
}

int Receive::Execute(CliContext& ctx, const QStringList& arguments) {
    QCommandLineParser parser;
    if (const auto done = Parse(ctx, arguments, parser))
        return *done;
    return RunJob(ctx, false, parser.positionalArguments());
}

} // namespace qdv::cli
