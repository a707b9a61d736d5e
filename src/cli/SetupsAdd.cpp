#include "cli/SetupsAdd.h"

#include "cli/CliContext.h"
#include "setups/SetupEditorModel.h"
#include "setups/SetupList.h"

namespace qdv::cli {

SetupsAdd::SetupsAdd()
    : SetupsVerb(QStringLiteral("add"), QStringLiteral("Add a setup and print its number.")) {
    AddOption(QCommandLineOption(QStringLiteral("name"), QStringLiteral("The setup name."),
                                 QStringLiteral("NAME")));
    AddOption(QCommandLineOption(QStringLiteral("dir"), QStringLiteral("The backup data path."),
                                 QStringLiteral("PATH")));
    AddLinkOptions();
}

int SetupsAdd::Execute(CliContext& ctx, const QStringList& arguments) {
    if (const auto done = Parse(ctx, arguments))
        return *done;
    SetupList list(ctx.Setups(), ctx.File());
    SetupEditorModel editor(list);
    if (!editor.OpenNew()) {
        ctx.Err() << "qdv70cli: the setup list is full (" << SetupTable::kMaxSetups << " setups)\n";
        return kExitFailed;
    }
    editor.name = Parsed().value(QStringLiteral("name"));
    editor.backupDataPath = Parsed().value(QStringLiteral("dir"));
    if (const auto done = ApplyLinkOptions(ctx, editor, list, true))
        return *done;
    if (const int code = editor.Accept())
        return Refuse(ctx, code);
    if (const int status = Saved(ctx, list))
        return status;
    ctx.Out() << list.Count() << '\n';
    return kExitOk;
}

} // namespace qdv::cli
