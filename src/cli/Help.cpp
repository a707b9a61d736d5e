#include "cli/Help.h"

#include "cli/CliContext.h"
#include "cli/CommandGroup.h"
#include "cli/Commands.h"

namespace qdv::cli {

Help::Help()
    : Command(QStringLiteral("help"), QStringLiteral("Show the list of commands, or the help of one.")) {
    AddOptionalArgument(QStringLiteral("COMMAND"), QStringLiteral("the command (and verb) to explain"));
    AllowMoreArguments(QStringLiteral("[VERB]"));
}

QString Help::Overview() {
    QString text = QStringLiteral(
        "usage: qdv70cli [--home DIR] [--setup NAME|NUMBER] [--wait-folder SECONDS] COMMAND [ARGS...]\n\n"
        "The backup jobs and file conversions of QDV-70 without windows.\n\n"
        "commands:\n");
    for (const auto& c : AllCommands())
        text += QStringLiteral("  ") + c->Name().leftJustified(12) + c->Description() + QLatin1Char('\n');
    text += QStringLiteral(
        "\n--home DIR overrides the home folder (also QDV70_HOME); --setup takes a setup's name or its "
        "1-based\n"
        "number, else the selected setup is used. --wait-folder SECONDS: how long a command waits for a\n"
        "backup folder that another program is writing into (default 60). 'qdv70cli COMMAND --help' shows\n"
        "the help of a command.\n"
        "exit status: 0 success, 1 failure or files missing, 2 usage error or unknown setup, 130 "
        "interrupted\n");
    return text;
}

int Help::Execute(CliContext& ctx, const QStringList& arguments) {
    if (const auto done = Parse(ctx, arguments))
        return *done;
    const QStringList words = Words();
    if (words.isEmpty()) {
        ctx.Out() << Overview();
        return kExitOk;
    }
    Command* command = FindCommand(words[0]);
    if (command != nullptr && words.size() > 1) {
        const auto* group = dynamic_cast<const CommandGroup*>(command);
        command = group != nullptr ? group->FindVerb(words[1]) : nullptr;
    }
    if (command == nullptr)
        return UsageError(ctx, QStringLiteral("no such command: %1").arg(words.join(QLatin1Char(' '))));
    ctx.Out() << command->HelpText();
    return kExitOk;
}

} // namespace qdv::cli
