#include "cli/CliContext.h"

#include "app/HomeFolder.h"

#include <cstdio>

namespace qdv::cli {

bool CliContext::ParseOptions(QStringList& args, QString* error) {
    while (!args.isEmpty() && args.front().startsWith(QLatin1String("--"))) {
        const QString opt = args.takeFirst();
        QString* target = nullptr;
        QString value;
        const qsizetype eq = opt.indexOf(QLatin1Char('='));
        const QString name = eq < 0 ? opt : opt.left(eq);
        if (name == QLatin1String("--home"))
            target = &m_homeOption;
        else if (name == QLatin1String("--setup"))
            target = &m_setupOption;
        else {
            *error = QStringLiteral("unknown option %1").arg(opt);
            return false;
        }
        if (eq >= 0)
            value = opt.mid(eq + 1);
        else if (!args.isEmpty())
            value = args.takeFirst();
        else {
            *error = QStringLiteral("%1 needs a value").arg(name);
            return false;
        }
        *target = value;
    }
    return true;
}

void CliContext::Load() {
    m_home = ResolveHomeFolder(m_homeOption);
    m_file = std::make_unique<TmFile>(m_home);
    QString error;
    if (!m_file->CreateProgramFolders(&error))
        std::fprintf(stderr, "qdv70cli: %s\n", qPrintable(error));
    m_file->LoadPortSettings(m_ports);
    m_file->LoadSetupList(*m_setups, MenuFont());
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
    for (int i = 0; i < t.count; ++i) {
        if (t.records[i].name == m_setupOption)
            return i;
    }
    bool isNumber = false;
    const int n = m_setupOption.toInt(&isNumber);
    if (isNumber && n >= 1 && n <= t.count)
        return n - 1;
    *error = QStringLiteral("unknown setup: %1").arg(m_setupOption);
    return -1;
}

const SetupRecord* CliContext::ChosenSetup(QString* error) const {
    const int i = ChosenSetupIndex(error);
    return i < 0 ? nullptr : &m_setups->records[i];
}

} // namespace qdv::cli
