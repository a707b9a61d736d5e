// qdv70cli: the backup jobs and file conversions of QDV-70 without windows, for scripts, schedulers and
// remote shells.

#include "cli/CliContext.h"
#include "cli/ConvertCommands.h"
#include "cli/JobCommand.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

using namespace qdv;
using namespace qdv::cli;

namespace {

const char kUsage[] =
    "usage: qdv70cli [--home DIR] [--setup NAME|NUMBER] COMMAND\n"
    "commands:\n"
    "  setups                                list the setups (* marks the selected one)\n"
    "  receive description|crosspoint|primary   receive from the device into the backup folder\n"
    "  send description|crosspoint|primary      send from the backup folder to the device\n"
    "  export description|crosspoint FILE    write the descriptions and aliases, or the crosspoints, as "
    "text\n"
    "  import description|crosspoint FILE    read such a text into the backup folder's data files\n"
    "--setup takes a setup name or its number; without it the selected setup is used.\n"
    "exit status: 0 success, 1 failure or files missing, 2 usage error or unknown setup, 130 interrupted\n";

int ListSetups(const CliContext& ctx, QTextStream& out) {
    const SetupTable& t = ctx.Setups();
    if (t.count == 0) {
        out << "no setups\n";
        return kExitOk;
    }
    for (int i = 0; i < t.count; ++i) {
        const SetupRecord& r = t.records[i];
        out << (i + 1) << '\t' << r.name << '\t' << r.ConnectionText() << '\t' << r.backupDataPath;
        if (i == t.selected)
            out << "\t*";
        out << '\n';
    }
    return kExitOk;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList args = QCoreApplication::arguments().mid(1);

    CliContext ctx;
    QString error;
    if (!ctx.ParseOptions(args, &error)) {
        err << "qdv70cli: " << error << '\n' << kUsage;
        return kExitUsage;
    }
    if (args.isEmpty() || args.front() == QLatin1String("help")) {
        (args.isEmpty() ? err : out) << kUsage;
        return args.isEmpty() ? kExitUsage : kExitOk;
    }
    ctx.Load();
    const QString command = args.takeFirst();
    if (command == QLatin1String("setups") && args.isEmpty())
        return ListSetups(ctx, out);
    if (command == QLatin1String("receive") || command == QLatin1String("send"))
        return RunJob(ctx, command == QLatin1String("send"), args, out, err);
    if (command == QLatin1String("export") || command == QLatin1String("import")) {
        const SetupRecord* setup = ctx.ChosenSetup(&error);
        if (setup == nullptr) {
            err << "qdv70cli: " << error << '\n';
            return kExitUsage;
        }
        return command == QLatin1String("export") ? RunExport(*setup, args, out, err)
                                                  : RunImport(*setup, args, out, err);
    }

    err << "qdv70cli: unknown command: " << command << '\n' << kUsage;
    return kExitUsage;
}
