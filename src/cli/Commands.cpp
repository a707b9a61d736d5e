#include "cli/Commands.h"

#include "cli/Backup.h"
#include "cli/CliContext.h"
#include "cli/Completion.h"
#include "cli/Diff.h"
#include "cli/Discover.h"
#include "cli/Export.h"
#include "cli/Help.h"
#include "cli/History.h"
#include "cli/Import.h"
#include "cli/NotifyFailure.h"
#include "cli/Receive.h"
#include "cli/Restore.h"
#include "cli/Send.h"
#include "cli/Serve.h"
#include "cli/Setups.h"
#include "cli/Stations.h"
#include "cli/Status.h"
#include "cli/Verify.h"

namespace qdv::cli {

namespace {

const char kSeeHelp[] = "run 'qdv70cli help' for the list of commands\n";

std::vector<std::unique_ptr<Command>> MakeCommands() {
    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(std::make_unique<Setups>());
    commands.push_back(std::make_unique<Receive>());
    commands.push_back(std::make_unique<Send>());
    commands.push_back(std::make_unique<Backup>());
    commands.push_back(std::make_unique<Stations>());
    commands.push_back(std::make_unique<Export>());
    commands.push_back(std::make_unique<Import>());
    commands.push_back(std::make_unique<History>());
    commands.push_back(std::make_unique<Diff>());
    commands.push_back(std::make_unique<Restore>());
    commands.push_back(std::make_unique<Verify>());
    commands.push_back(std::make_unique<Status>());
    commands.push_back(std::make_unique<NotifyFailure>());
    commands.push_back(std::make_unique<Serve>());
    commands.push_back(std::make_unique<Discover>());
    commands.push_back(std::make_unique<Help>());
    return commands;
}

} // namespace

const std::vector<std::unique_ptr<Command>>& AllCommands() {
    static const std::vector<std::unique_ptr<Command>> commands = MakeCommands();
    return commands;
}

Command* FindCommand(const QString& name) {
    for (const auto& c : AllCommands()) {
        if (c->Name() == name)
            return c.get();
    }
    return nullptr;
}

int RunCommandLine(CliContext& ctx, QStringList args) {
    QTextStream& out = ctx.Out();
    QTextStream& err = ctx.Err();
    if (!args.isEmpty() && (args.front() == QLatin1String("--help") || args.front() == QLatin1String("-h"))) {
        out << Help::Overview();
        return kExitOk;
    }
    if (!args.isEmpty() && args.front() == QLatin1String("--version")) {
        out << "qdv70cli " << QDV70_VERSION << '\n';
        return kExitOk;
    }
    // Not in the help: what the shell completion reads.
    if (args == QStringList{QStringLiteral("--completion-table")}) {
        out << CompletionTable();
        return kExitOk;
    }
    QString error;
    if (!ctx.ParseOptions(args, &error)) {
        err << "qdv70cli: " << error << '\n' << kSeeHelp;
        return kExitUsage;
    }
    if (args.isEmpty()) {
        err << Help::Overview();
        return kExitUsage;
    }
    Command* command = FindCommand(args.front());
    if (command == nullptr) {
        err << "qdv70cli: unknown command: " << args.front() << '\n' << kSeeHelp;
        return kExitUsage;
    }
    if (command->Name() != QLatin1String("help"))
        ctx.Load();
    return command->Execute(ctx, args);
}

} // namespace qdv::cli
