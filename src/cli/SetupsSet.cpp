#include "cli/SetupsSet.h"

#include "cli/CliContext.h"
#include "setups/SetupEditorModel.h"
#include "setups/SetupList.h"
#include "setups/SetupOptionText.h"

namespace qdv::cli {

SetupsSet::SetupsSet()
    : SetupsVerb(QStringLiteral("set"), QStringLiteral("Change a setup's name, folder, link or options.")) {
    AddArgument(QStringLiteral("SETUP"), QStringLiteral("the setup's name or number"),
                QStringLiteral("NAME|NUMBER"));
    AddOption(QCommandLineOption(QStringLiteral("name"), QStringLiteral("A new setup name."),
                                 QStringLiteral("NAME")));
    AddOption(QCommandLineOption(QStringLiteral("dir"), QStringLiteral("A new backup data path."),
                                 QStringLiteral("PATH")));
    AddLinkOptions();
    AddOption(
        QCommandLineOption(QStringLiteral("primary-files"),
                           QStringLiteral("The files of a Primary transfer: all, none, a bit set, or names "
                                          "such as STD,TLN,IDX."),
                           QStringLiteral("LIST")));
    AddOption(
        QCommandLineOption(QStringLiteral("buttons"),
                           QStringLiteral("The tabs and buttons offered: receive=,send=,edit= each off, on, "
                                          "all, none, F keys such as F1+F3, or a bit set."),
                           QStringLiteral("receive=...,send=...,edit=...")));
}

int SetupsSet::Execute(CliContext& ctx, const QStringList& arguments) {
    SetupList list(ctx.Setups(), ctx.File());
    int k = 0;
    if (const auto done = ParseSetup(ctx, arguments, &k))
        return *done;
    const QCommandLineParser& parser = Parsed();
    SetupEditorModel editor(list);
    editor.OpenModify(k);
    if (parser.isSet(QStringLiteral("name")))
        editor.name = parser.value(QStringLiteral("name"));
    if (parser.isSet(QStringLiteral("dir")))
        editor.backupDataPath = parser.value(QStringLiteral("dir"));

    // The options are read in full before anything changes.
    SetupRecord options = list.Record(k);
    QString error;
    if (parser.isSet(QStringLiteral("primary-files")) &&
        !SetupOptionText::ParsePrimaryFiles(parser.value(QStringLiteral("primary-files")),
                                            &options.primaryBackupFiles, &error))
        return UsageError(ctx, error);
    if (parser.isSet(QStringLiteral("buttons")) &&
        !SetupOptionText::ParseButtons(parser.value(QStringLiteral("buttons")), options, &error))
        return UsageError(ctx, error);
    if (const auto done = ApplyLinkOptions(ctx, editor, list, false))
        return *done;
    if (const int code = editor.Validate())
        return Refuse(ctx, code);

    // The port may have come with --port; the other options with --primary-files and --buttons.
    options.remote3Port = list.Record(k).remote3Port;
    SetupList::CopyOptions(options, list.Record(k));
    if (const int code = editor.Accept())
        return Refuse(ctx, code);
    return Saved(ctx, list);
}

} // namespace qdv::cli
