#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace qdv {
struct SetupHealth;
struct SetupRecord;
} // namespace qdv

namespace qdv::cli {

class CliContext;

// One subcommand of qdv70cli: its name, a one-line description, its options and arguments, and
// Execute. Each command parses its own words with a QCommandLineParser of its own, so that
// `qdv70cli COMMAND --help` shows the help of that command alone, and `qdv70cli help` lists them all.
class Command {
public:
    Command(QString name, QString description);
    virtual ~Command();
    Command(const Command&) = delete;
    Command& operator=(const Command&) = delete;

    const QString& Name() const { return m_name; }
    const QString& Description() const { return m_description; }
    // The words that call the command: its name, after its group's name for a verb ("setups add").
    QString Path() const;
    // Usage line, description, arguments and options, as `--help` prints them.
    virtual QString HelpText() const;
    const QList<QCommandLineOption>& Options() const { return m_options; }
    // How the usage line shows each positional argument, the required ones first.
    QStringList ArgumentSyntax() const;

    // Runs the command. `arguments` are the command's words, its own name first (as in argv).
    virtual int Execute(CliContext& ctx, const QStringList& arguments) = 0;

protected:
    void AddOption(const QCommandLineOption& option) { m_options.append(option); }
    // A positional argument; `syntax` is how the usage line shows it (the name when empty).
    void AddArgument(const QString& name, const QString& description, const QString& syntax = {});
    void AddOptionalArgument(const QString& name, const QString& description, const QString& syntax = {});
    // Any number of further words after the declared arguments.
    void AllowMoreArguments(const QString& syntax) { m_moreSyntax = syntax; }

    // The options several commands offer, each with the command's own description.
    // --json: the result as JSON on stdout.
    void AddJsonOption(const QString& description);
    // --metrics FILE: the setups' figures written to FILE.
    void AddMetricsOption(const QString& description);
    // --setup NAME|NUMBER choosing the setups the command works on. With `verb` ("back up"), --setup may
    // be repeated and --all-setups chooses every setup; without, the command works on one setup.
    void AddSetupChoice(const QString& verb = {});

    // Parses `arguments` with the command's options; what it read stays until the next Parse. Empty to
    // go on; else the exit status to end with: 0 after `--help` printed the help, 2 after a usage error
    // was printed.
    std::optional<int> Parse(CliContext& ctx, const QStringList& arguments);
    // What the last Parse read: the positional words, and the options.
    QStringList Words() const;
    const QCommandLineParser& Parsed() const { return *m_parser; }
    bool Json() const;
    // The file of --metrics; empty when it was not given.
    std::optional<QString> MetricsFile() const;
    // The figures of the setups at the given indexes, as of now.
    static QList<SetupHealth> AssessSetups(CliContext& ctx, const QList<int>& indexes);
    // Replaces the file of --metrics atomically with the metrics of `setups`; false after saying why on
    // stderr, true when written or not asked for.
    bool WriteMetrics(CliContext& ctx, const QList<SetupHealth>& setups) const;
    // The whole number the option `name` was given, when it lies in min..max (its default when it has
    // one and was not given); empty otherwise.
    std::optional<int> Number(const QString& name, int min, int max) const;

    // Writes `value`, an array or an object, on stdout as indented JSON.
    static void PrintJson(CliContext& ctx, const QJsonValue& value);
    // Prints `message` on stderr; returns the failure exit status.
    static int Failure(CliContext& ctx, const QString& message);
    // Prints `message` and the usage line on stderr; returns the usage-error exit status.
    int UsageError(CliContext& ctx, const QString& message) const;
    QString UsageLine() const;
    // The setups AddSetupChoice's options chose (every one with --all-setups), else the global --setup's
    // or the selected one, as indexes into the table. Empty to go on; else the usage-error exit status,
    // after the error was printed.
    std::optional<int> ChooseSetups(CliContext& ctx, QList<int>* chosen) const;
    // Runs `run` on the setup --setup names, else on the selected one; a usage error when there is none.
    int WithChosenSetup(CliContext& ctx, const std::function<int(const SetupRecord&)>& run) const;
    // The setup the global --setup names, else the selected one; null after printing why there is none
    // (without the usage line).
    const SetupRecord* ChosenSetup(CliContext& ctx) const;

private:
    friend class CommandGroup;

    struct Argument {
        QString name;
        QString description;
        QString syntax;
    };

    QString m_name;
    QString m_description;
    const Command* m_group = nullptr;
    QList<QCommandLineOption> m_options;
    QList<Argument> m_arguments;
    QList<Argument> m_optionalArguments;
    QString m_moreSyntax;
    bool m_severalSetups = false;
    std::unique_ptr<QCommandLineParser> m_parser = std::make_unique<QCommandLineParser>();
};

} // namespace qdv::cli
