#include "cli/Send.h"

#include "cli/CliContext.h"
#include "cli/JobCommand.h"

namespace qdv::cli {

Send::Send()
    : Command(QStringLiteral("send"),
              QStringLiteral("Send data from the setup's backup folder to the device.")) {
    AddArgument(
        QStringLiteral("KIND"),
        QStringLiteral("description (ZEBU_NME.DAU), crosspoint (the compact list made from ZEBU_XPT.DAU) "
                       "or primary (the setup's Primary files)"),
        QStringLiteral("description|crosspoint|primary"));
    AddOption(
        QCommandLineOption(QStringLiteral("verify"),
                           QStringLiteral("after a successful send, receive the same files into a temporary "
                                          "folder and compare them byte for byte; a difference fails the "
                                          "job")));
}

int Send::Execute(CliContext& ctx, const QStringList& arguments) {
    QCommandLineParser parser;
    if (const auto done = Parse(ctx, arguments, parser))
        return *done;
    return RunJob(ctx, true, parser.positionalArguments(), parser.isSet(QStringLiteral("verify")));
}

} // namespace qdv::cli
