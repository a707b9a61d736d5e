#include "cli/SetupsList.h"

#include "cli/CliContext.h"

namespace qdv::cli {

SetupsList::SetupsList()
    : Command(QStringLiteral("list"),
              QStringLiteral("List the setups (number, name, connection, folder; * on the selected one).")) {}

int SetupsList::Execute(CliContext& ctx, const QStringList& arguments) {
    if (const auto done = Parse(ctx, arguments))
        return *done;
    QTextStream& out = ctx.Out();
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

} // namespace qdv::cli
