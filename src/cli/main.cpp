// qdv70cli: the backup jobs and file conversions of QDV-70 without windows, for scripts, schedulers and
// remote shells.

#include "cli/CliContext.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

using namespace qdv;
using namespace qdv::cli;

namespace {

const char kUsage[] = "usage: qdv70cli [--home DIR] [--setup NAME|NUMBER] COMMAND\n"
                      "commands:\n"
                      "  setups                                   list the setups (* marks the selected one)\n";

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

    err << "qdv70cli: unknown command: " << command << '\n' << kUsage;
    return kExitUsage;
}
