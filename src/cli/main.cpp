// qdv70cli: the backup jobs and file conversions of QDV-70 without windows, for scripts, schedulers and
// remote shells. Each subcommand is a Command of the registry in Commands.cpp.

#include "cli/CliContext.h"
#include "cli/Commands.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    qdv::cli::CliContext ctx(out, err);
    return qdv::cli::RunCommandLine(ctx, QCoreApplication::arguments().mid(1));
}
