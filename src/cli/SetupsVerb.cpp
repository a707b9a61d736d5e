#include "cli/SetupsVerb.h"

#include "base/CatalogueCodes.h"
#include "base/MessageCatalogue.h"
#include "cli/CliContext.h"
#include "setups/SetupEditorModel.h"
#include "setups/SetupList.h"

namespace qdv::cli {

int SetupsVerb::FindSetup(CliContext& ctx, const QString& word) const {
    QString error;
    const int i = ctx.SetupIndexOf(word, &error);
    if (i >= 0)
        return i + 1;
    UsageError(ctx, error);
    return 0;
}

std::optional<int> SetupsVerb::ParseSetup(CliContext& ctx, const QStringList& arguments, int* k) {
    if (const auto done = Parse(ctx, arguments))
        return done;
    *k = FindSetup(ctx, Words().at(0));
    if (*k == 0)
        return kExitUsage;
    return std::nullopt;
}

int SetupsVerb::Refuse(CliContext& ctx, int code) {
    ctx.Err() << "qdv70cli: " << CatalogueText(code) << '\n';
    return kExitFailed;
}

int SetupsVerb::Saved(CliContext& ctx, SetupList& list) {
    const QString error = list.TakeSaveError();
    if (error.isEmpty())
        return kExitOk;
    ctx.Err() << "qdv70cli: the setup list was not written: " << error << '\n';
    return kExitFailed;
}

void SetupsVerb::AddLinkOptions() {
    AddOption(QCommandLineOption(
        QStringLiteral("lan"), QStringLiteral("Reach the device over the LAN at IP."), QStringLiteral("IP")));
    AddOption(QCommandLineOption(QStringLiteral("port"),
                                 QStringLiteral("TCP port of the packet link over the LAN (1-65535)."),
                                 QStringLiteral("N")));
    AddOption(QCommandLineOption(QStringLiteral("com"),
                                 QStringLiteral("Reach the device over serial port COMn (1-15)."),
                                 QStringLiteral("N")));
}

std::optional<int> SetupsVerb::ApplyLinkOptions(CliContext& ctx, SetupEditorModel& editor, SetupList& list,
                                                bool needLink) const {
    const QCommandLineParser& parser = Parsed();
    const bool lan = parser.isSet(QStringLiteral("lan"));
    const bool com = parser.isSet(QStringLiteral("com"));
    if (lan && com)
        return UsageError(ctx, QStringLiteral("--lan and --com exclude each other"));
    if (needLink && !lan && !com)
        return UsageError(ctx, QStringLiteral("give --lan IP or --com N"));
    if (com && parser.isSet(QStringLiteral("port")))
        return UsageError(ctx, QStringLiteral("--port goes with --lan"));
    if (lan) {
        editor.selectLan = true;
        editor.ipText = parser.value(QStringLiteral("lan"));
    }
    if (com) {
        bool ok = false;
        editor.selectLan = false;
        editor.comPort = parser.value(QStringLiteral("com")).toInt(&ok);
        if (!ok)
            editor.comPort = 0;
    }
    if (parser.isSet(QStringLiteral("port"))) {
        bool ok = false;
        const int port = parser.value(QStringLiteral("port")).toInt(&ok);
        if (!ok || !SetupEditorModel::ValidPort(port))
            return Refuse(ctx, msg::kBadPort);
        // Validation of the other fields comes first, so the port is set only when they pass.
        if (const int code = editor.Validate())
            return Refuse(ctx, code);
        list.Record(editor.Number()).remote3Port = port;
    }
    return std::nullopt;
}

} // namespace qdv::cli
