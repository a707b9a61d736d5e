// qdv70cli: the backup jobs and file conversions of QDV-70 without windows, for scripts, schedulers and
// remote shells. Each subcommand is a Command of the registry in Commands.cpp.

#include "cli/CliContext.h"
#include "cli/Commands.h"
#include "cli/Completion.h"
#include "cli/Help.h"

#include <QCoreApplication>
#include <QTextStream>

using namespace qdv::cli;

namespace {
const char kSeeHelp[] = "run 'qdv70cli help' for the list of commands\n";
}

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList args = QCoreApplication::arguments().mid(1);

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
    CliContext ctx(out, err);
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
