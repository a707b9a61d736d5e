#include "cli/Command.h"

#include "cli/CliContext.h"

#include "app/SetupHealth.h"
#include "history/BackupHistory.h"
#include "store/AtomicFile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace qdv::cli {

namespace {

const QString kGlobalUsage = QStringLiteral("qdv70cli [--home DIR] [--setup NAME|NUMBER] ");
const QString kJson = QStringLiteral("json");
const QString kMetrics = QStringLiteral("metrics");
const QString kSetup = QStringLiteral("setup");
const QString kAllSetups = QStringLiteral("all-setups");
const QString kSetupValue = QStringLiteral("NAME|NUMBER");

// Left column of the help texts, padded so that the descriptions line up.
QString Column(const QString& text) {
    constexpr int kWidth = 28;
    QString line = QStringLiteral("  ") + text;
    if (line.size() < kWidth)
        return line.leftJustified(kWidth);
    return line + QStringLiteral("\n") + QString(kWidth, QLatin1Char(' '));
}

} // namespace

Command::Command(QString name, QString description)
    : m_name(std::move(name)), m_description(std::move(description)) {}

Command::~Command() = default;

QString Command::Path() const {
    return m_group != nullptr ? m_group->Path() + QLatin1Char(' ') + m_name : m_name;
}

void Command::AddArgument(const QString& name, const QString& description, const QString& syntax) {
    m_arguments.append({name, description, syntax.isEmpty() ? name : syntax});
}

void Command::AddOptionalArgument(const QString& name, const QString& description, const QString& syntax) {
    m_optionalArguments.append({name, description, syntax.isEmpty() ? name : syntax});
}

QStringList Command::ArgumentSyntax() const {
    QStringList syntax;
    for (const QList<Argument>* list : {&m_arguments, &m_optionalArguments}) {
        for (const Argument& a : *list)
            syntax << a.syntax;
    }
    return syntax;
}

QString Command::UsageLine() const {
    QString line = QStringLiteral("usage: ") + kGlobalUsage + Path();
    if (!m_options.isEmpty())
        line += QStringLiteral(" [options]");
    for (const Argument& a : m_arguments)
        line += QLatin1Char(' ') + a.syntax;
    for (const Argument& a : m_optionalArguments)
        line += QStringLiteral(" [") + a.syntax + QLatin1Char(']');
    if (!m_moreSyntax.isEmpty())
        line += QLatin1Char(' ') + m_moreSyntax;
    return line;
}

QString Command::HelpText() const {
    QString text = UsageLine() + QStringLiteral("\n\n") + m_description + QLatin1Char('\n');
    if (!m_arguments.isEmpty() || !m_optionalArguments.isEmpty()) {
        text += QStringLiteral("\narguments:\n");
        for (const QList<Argument>* list : {&m_arguments, &m_optionalArguments}) {
            for (const Argument& a : *list)
                text += Column(a.syntax) + a.description + QLatin1Char('\n');
        }
    }
    text += QStringLiteral("\noptions:\n");
    for (const QCommandLineOption& o : m_options) {
        QStringList names;
        for (const QString& n : o.names())
            names << (n.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + n;
        QString left = names.join(QStringLiteral(", "));
        if (!o.valueName().isEmpty())
            left += QLatin1Char(' ') + o.valueName();
        text += Column(left) + o.description() + QLatin1Char('\n');
    }
    text += Column(QStringLiteral("-h, --help")) + QStringLiteral("show this help\n");
    return text;
}

void Command::PrintJson(CliContext& ctx, const QJsonValue& value) {
    ctx.Out()
        << (value.isArray() ? QJsonDocument(value.toArray()) : QJsonDocument(value.toObject())).toJson();
}

int Command::Failure(CliContext& ctx, const QString& message) {
    ctx.Err() << "qdv70cli: " << message << '\n';
    return kExitFailed;
}

QList<SetupHealth> Command::AssessSetups(CliContext& ctx, const QList<int>& indexes) {
    const QDateTime now = QDateTime::currentDateTime();
    const int warnDays = ctx.File().LoadBackupWarnDays();
    const bool remote = !history::BackupHistory::Options().remote.isEmpty();
    QList<SetupHealth> setups;
    for (int i : indexes)
        setups << SetupHealth::Assess(ctx.Setups().records[i], now, warnDays, remote);
    return setups;
}

bool Command::WriteMetrics(CliContext& ctx, const QList<SetupHealth>& setups) const {
    const std::optional<QString> path = MetricsFile();
    QString error;
    if (!path || WriteFileAtomically(*path, SetupHealth::Metrics(setups), &error))
        return true;
    ctx.Err() << "qdv70cli: the metrics file was not written: " << error << '\n';
    return false;
}

int Command::UsageError(CliContext& ctx, const QString& message) const {
    ctx.Err() << "qdv70cli: " << message << '\n' << UsageLine() << '\n';
    ctx.Err().flush();
    return kExitUsage;
}

void Command::AddJsonOption(const QString& description) {
    AddOption(QCommandLineOption(kJson, description));
}

void Command::AddMetricsOption(const QString& description) {
    AddOption(QCommandLineOption(kMetrics, description, QStringLiteral("FILE")));
}

void Command::AddSetupChoice(const QString& verb) {
    const QString global = QStringLiteral("the setup of the global --setup, else the selected one");
    m_severalSetups = !verb.isEmpty();
    if (!m_severalSetups) {
        AddOption(QCommandLineOption(
            kSetup, QStringLiteral("the setup, by name or number; without it: ") + global, kSetupValue));
        return;
    }
    AddOption(QCommandLineOption(kSetup,
                                 QStringLiteral("a setup to %1, by name or number (may be repeated); without "
                                                "it and --all-setups: %2")
                                     .arg(verb, global),
                                 kSetupValue));
    AddOption(QCommandLineOption(kAllSetups, verb + QStringLiteral(" every setup")));
}

std::optional<int> Command::ChooseSetups(CliContext& ctx, QList<int>* chosen) const {
    const SetupTable& table = ctx.Setups();
    const QStringList names = m_parser->values(kSetup);
    if (!m_severalSetups && names.size() > 1)
        return UsageError(ctx, Path() + QStringLiteral(" takes one setup"));
    if (m_severalSetups && m_parser->isSet(kAllSetups)) {
        if (!names.isEmpty())
            return UsageError(ctx, QStringLiteral("--setup and --all-setups exclude each other"));
        for (int i = 0; i < table.count; ++i)
            *chosen << i;
        if (chosen->isEmpty())
            return UsageError(ctx, QStringLiteral("no setups"));
        return std::nullopt;
    }
    QString error;
    for (const QString& name : names) {
        const int i = ctx.SetupIndexOf(name, &error);
        if (i < 0)
            return UsageError(ctx, error);
        if (!chosen->contains(i))
            *chosen << i;
    }
    if (names.isEmpty()) {
        const int i = ctx.ChosenSetupIndex(&error);
        if (i < 0)
            return UsageError(ctx, error);
        *chosen << i;
    }
    return std::nullopt;
}

int Command::WithChosenSetup(CliContext& ctx, const std::function<int(const SetupRecord&)>& run) const {
    QString error;
    const SetupRecord* setup = ctx.ChosenSetup(&error);
    return setup == nullptr ? UsageError(ctx, error) : run(*setup);
}

const SetupRecord* Command::ChosenSetup(CliContext& ctx) const {
    QString error;
    const SetupRecord* setup = ctx.ChosenSetup(&error);
    if (setup == nullptr)
        ctx.Err() << "qdv70cli: " << error << '\n';
    return setup;
}

std::optional<int> Command::Parse(CliContext& ctx, const QStringList& arguments) {
    m_parser = std::make_unique<QCommandLineParser>();
    QCommandLineParser& parser = *m_parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions(m_options);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    parser.addOption(help);
    if (!parser.parse(arguments))
        return UsageError(ctx, parser.errorText());
    if (parser.isSet(help)) {
        ctx.Out() << HelpText();
        ctx.Out().flush();
        return kExitOk;
    }
    const qsizetype count = parser.positionalArguments().size();
    if (count < m_arguments.size())
        return UsageError(ctx, QStringLiteral("missing %1").arg(m_arguments[count].syntax));
    if (m_moreSyntax.isEmpty() && count > m_arguments.size() + m_optionalArguments.size())
        return UsageError(
            ctx, QStringLiteral("unexpected argument: %1")
                     .arg(parser.positionalArguments()[m_arguments.size() + m_optionalArguments.size()]));
    return std::nullopt;
}

QStringList Command::Words() const {
    return m_parser->positionalArguments();
}

bool Command::Json() const {
    return m_parser->isSet(kJson);
}

std::optional<QString> Command::MetricsFile() const {
    if (!m_parser->isSet(kMetrics))
        return std::nullopt;
    return m_parser->value(kMetrics);
}

std::optional<int> Command::Number(const QString& name, int min, int max) const {
    bool ok = false;
    const int n = m_parser->value(name).toInt(&ok);
    if (!ok || n < min || n > max)
        return std::nullopt;
    return n;
}

} // namespace qdv::cli
