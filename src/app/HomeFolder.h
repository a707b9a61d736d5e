#pragma once

#include <QString>

namespace qdv {

// The home folder holds QDV70LIST.INI, QDV70COMM.INI, Device/, HELP/ and XMLDoc/. Chosen in this order:
// the --home option, the environment variable QDV70_HOME, the executable's folder when it is writable
// and not a system folder such as /usr/bin (a portable install), else $XDG_CONFIG_HOME/qdv70.
struct HomeFolderCandidates {
    QString option;           // --home, may be empty
    QString environment;      // QDV70_HOME, may be empty
    QString executableFolder; // may be empty when unknown
    QString configFolder;     // the user's configuration folder
};

// The folder the candidates choose, as an absolute clean path. Nothing is created.
QString ChooseHomeFolder(const HomeFolderCandidates& candidates);

// The home folder of this run, created when missing. A folder that cannot be created is still returned:
// the first file operation in it reports the failure.
QString ResolveHomeFolder(const QString& optionValue);

} // namespace qdv
