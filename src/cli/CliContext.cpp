#include "cli/CliContext.h"

#include "app/HomeFolder.h"
#include "history/BackupHistory.h"

#include <QCommandLineParser>

namespace qdv::cli {

QList<QCommandLineOption> CliContext::GlobalOptions() {
    return {QCommandLineOption(QStringLiteral("home"), QString(), QStringLiteral("DIR")),
            QCommandLineOption(QStringLiteral("setup"), QString(), QStringLiteral("NAME|NUMBER")),
            QCommandLineOption(QStringLiteral("wait-folder"), QString(), QStringLiteral("SECONDS"))};
}

bool CliContext::ParseOptions(QStringList& args, QString* error) {
    // Global options stand before the command; everything from the command on is the command's own.
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions(GlobalOptions());
    if (!parser.parse(QStringList{QStringLiteral("qdv70cli")} + args)) {
        *error = parser.errorText();
        return false;
    }
    const QString waitFolder = QStringLiteral("wait-folder");
    if (parser.isSet(waitFolder)) {
        constexpr int kMaxWaitSeconds = 24 * 3600;
        bool ok = false;
        m_folderWaitSeconds = parser.value(waitFolder).toInt(&ok);
        if (!ok || m_folderWaitSeconds < 0 || m_folderWaitSeconds > kMaxWaitSeconds) {
            *error = QStringLiteral("--wait-folder wants a whole number of seconds from 0 to %1")
                         .arg(kMaxWaitSeconds);
            return false;
        }
    }
    m_homeOption = parser.value(QStringLiteral("home"));
    m_setupOption = parser.value(QStringLiteral("setup"));
    args = parser.positionalArguments();
    return true;
}

void CliContext::Load() {
    m_home = ResolveHomeFolder(m_homeOption);
    m_file = std::make_unique<TmFile>(m_home);
    QString error;
    if (!m_file->CreateProgramFolders(&error))
        m_err << "qdv70cli: " << error << '\n';
    m_file->LoadPortSettings(m_ports);
    m_file->LoadSetupList(*m_setups, MenuFont());
    history::BackupHistory::Configure(history::BackupHistory::ReadOptions(*m_file));
}

int CliContext::ChosenSetupIndex(QString* error) const {
    const SetupTable& t = *m_setups;
    if (t.count == 0) {
        *error = QStringLiteral("no setups");
        return -1;
    }
    if (m_setupOption.isEmpty()) {
        if (t.Selected() == nullptr) {
            *error = QStringLiteral("no setup is selected; name one with --setup");
            return -1;
        }
        return t.selected;
    }
    return SetupIndexOf(m_setupOption, error);
}

int CliContext::SetupIndexOf(const QString& nameOrNumber, QString* error) const {
    const SetupTable& t = *m_setups;
    const QList<int> named = t.NumbersNamed(nameOrNumber);
    if (named.size() == 1)
        return named.front() - 1;
    if (named.size() > 1) {
        // Acting on the first of them would act on a setup the user may not have meant.
        QStringList numbers;
        for (const int k : named)
            numbers << QString::number(k);
        *error = QStringLiteral("several setups are named %1: %2; use the number")
                     .arg(nameOrNumber, numbers.join(QStringLiteral(", ")));
        return -1;
    }
    bool isNumber = false;
    const int n = nameOrNumber.toInt(&isNumber);
    if (isNumber && n >= 1 && n <= t.count)
        return n - 1;
    *error = QStringLiteral("unknown setup: %1").arg(nameOrNumber);
    return -1;
}

const SetupRecord* CliContext::ChosenSetup(QString* error) const {
    const int i = ChosenSetupIndex(error);
    return i < 0 ? nullptr : &m_setups->records[i];
}

} // namespace qdv::cli
