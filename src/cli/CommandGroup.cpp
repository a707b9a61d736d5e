#include "cli/CommandGroup.h"

#include "cli/CliContext.h"

namespace qdv::cli {

CommandGroup::CommandGroup(QString name, QString description)
    : Command(std::move(name), std::move(description)) {}

void CommandGroup::AddVerb(std::unique_ptr<Command> verb, bool isDefault) {
    verb->m_group = this;
    if (isDefault && m_default == nullptr)
        m_default = verb.get();
    m_verbs.push_back(std::move(verb));
}

Command* CommandGroup::FindVerb(const QString& name) const {
    for (const auto& v : m_verbs) {
        if (v->Name() == name)
            return v.get();
    }
    return nullptr;
}

QString CommandGroup::HelpText() const {
    QString text = QStringLiteral("usage: qdv70cli [--home DIR] [--setup NAME|NUMBER] ") + Path() +
                   (m_default != nullptr ? QStringLiteral(" [VERB] ...") : QStringLiteral(" VERB ...")) +
                   QStringLiteral("\n\n") + Description() + QStringLiteral("\n\nverbs:\n");
    for (const auto& v : m_verbs) {
        text += QStringLiteral("  ") + v->Name().leftJustified(12) + v->Description();
        if (v.get() == m_default)
            text += QStringLiteral(" (without a verb)");
        text += QLatin1Char('\n');
    }
    text +=
        QStringLiteral("\n'qdv70cli ") + Path() + QStringLiteral(" VERB --help' shows the help of a verb.\n");
    return text;
}

int CommandGroup::Execute(CliContext& ctx, const QStringList& arguments) {
    const QString word = arguments.size() > 1 ? arguments[1] : QString();
    if (word == QLatin1String("-h") || word == QLatin1String("--help") || word == QLatin1String("help")) {
        ctx.Out() << HelpText();
        return kExitOk;
    }
    // Words after the group's name: a verb and its words, or (for the default verb) options only.
    if (Command* verb = FindVerb(word); verb != nullptr)
        return verb->Execute(ctx, arguments.mid(1));
    if (m_default != nullptr && (word.isEmpty() || word.startsWith(QLatin1Char('-'))))
        return m_default->Execute(ctx, QStringList{m_default->Name()} + arguments.mid(1));
    ctx.Err() << "qdv70cli: " << Path() << ": "
              << (word.isEmpty() ? QStringLiteral("a verb is needed")
                                 : QStringLiteral("unknown verb: ") + word)
              << '\n'
              << HelpText();
    return kExitUsage;
}

} // namespace qdv::cli
