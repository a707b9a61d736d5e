#include "cli/Completion.h"

#include "cli/CliContext.h"
#include "cli/CommandGroup.h"
#include "cli/Commands.h"

namespace qdv::cli {

namespace {

void AddLine(QString& table, const char* kind, const QString& path, const QString& value) {
    if (!value.isEmpty())
        table +=
            QLatin1String(kind) + QLatin1Char('\t') + path + QLatin1Char('\t') + value + QLatin1Char('\n');
}

// `extra` are options handled outside the command's parser (--help, --version).
void AddOptions(QString& table, const QString& path, const QList<QCommandLineOption>& options,
                const QStringList& extra) {
    QStringList names;
    for (const QCommandLineOption& o : options) {
        for (const QString& n : o.names()) {
            if (n.size() == 1)
                continue;
            names << QStringLiteral("--") + n;
            AddLine(table, "value", path + QStringLiteral(" --") + n, o.valueName());
        }
    }
    AddLine(table, "options", path, (names + extra).join(QLatin1Char(' ')));
}

void AddCommand(QString& table, const Command& command) {
    const QString path = QStringLiteral("qdv70cli ") + command.Path();
    AddOptions(table, path, command.Options(), {QStringLiteral("--help")});
    AddLine(table, "args", path, command.ArgumentSyntax().join(QLatin1Char(' ')));
    if (const auto* group = dynamic_cast<const CommandGroup*>(&command)) {
        QStringList verbs;
        for (const auto& v : group->Verbs()) {
            verbs << v->Name();
            AddCommand(table, *v);
        }
        AddLine(table, "verbs", path, verbs.join(QLatin1Char(' ')));
    }
}

} // namespace

QString CompletionTable() {
    QString table;
    const QString top = QStringLiteral("qdv70cli");
    AddOptions(table, top, CliContext::GlobalOptions(),
               {QStringLiteral("--help"), QStringLiteral("--version")});
    QStringList commands;
    for (const auto& c : AllCommands()) {
        commands << c->Name();
        AddCommand(table, *c);
    }
    AddLine(table, "verbs", top, commands.join(QLatin1Char(' ')));
    return table;
}

} // namespace qdv::cli
