#include "cli/SetupsCopy.h"

#include "cli/CliContext.h"
#include "setups/SetupEditorModel.h"
#include "setups/SetupList.h"

namespace qdv::cli {

SetupsCopy::SetupsCopy()
    : SetupsVerb(QStringLiteral("copy"), QStringLiteral("Append a copy of a setup and print its number.")) {
    AddArgument(QStringLiteral("SETUP"), QStringLiteral("the setup's name or number"),
                QStringLiteral("NAME|NUMBER"));
    AddOption(QCommandLineOption(
        QStringLiteral("name"),
        QStringLiteral("The copy's name; without it \"NAME (2)\" or the next free number."),
        QStringLiteral("NEW")));
}

int SetupsCopy::Execute(CliContext& ctx, const QStringList& arguments) {
    SetupList list(ctx.Setups(), ctx.File());
    int k = 0;
    if (const auto done = ParseSetup(ctx, arguments, &k))
        return *done;
    if (list.Full()) {
        ctx.Err() << "qdv70cli: the setup list is full (" << SetupTable::kMaxSetups << " setups)\n";
        return kExitFailed;
    }
    // As in the setup list: the copy is appended, then edited; a refused edit removes it again.
    list.CopySetup(k);
    const int copy = list.Count();
    if (Parsed().isSet(QStringLiteral("name"))) {
        SetupEditorModel editor(list);
        editor.OpenModify(copy);
        editor.name = Parsed().value(QStringLiteral("name"));
        if (const int code = editor.Accept()) {
            list.RemoveSetup(copy);
            Saved(ctx, list);
            return Refuse(ctx, code);
        }
    }
    if (const int status = Saved(ctx, list))
        return status;
    ctx.Out() << copy << '\n';
    return kExitOk;
}

} // namespace qdv::cli
