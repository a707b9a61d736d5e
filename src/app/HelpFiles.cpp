#include "app/HelpFiles.h"

#include "store/PathNoCase.h"

#include <QDir>
#include <QFileInfo>

namespace qdv {

QStringList DefaultManualFolders(const QString& executableFolder) {
    const QDir bin(executableFolder);
    return {QDir::cleanPath(bin.filePath(QStringLiteral("manual"))),
            QDir::cleanPath(bin.filePath(QStringLiteral("../share/qdv70/manual")))};
}

HelpLocation FindHelp(const QStringList& manualFolders, const QString& homeFolder, bool japanese) {
    HelpLocation help;
    const QString language = japanese ? QStringLiteral("ja") : QStringLiteral("en");
    for (const QString& folder : manualFolders) {
        const QString page = QDir(folder).filePath(language + QStringLiteral("/index.html"));
        help.looked << page;
        if (QFileInfo(page).isFile()) {
            help.file = page;
            return help;
        }
    }
    const QString chm = JoinNoCase(JoinNoCase(homeFolder, QStringLiteral("HELP")),
                                   japanese ? QStringLiteral("qdv70j.chm") : QStringLiteral("qdv70e.chm"));
    help.looked << chm;
    if (QFileInfo(chm).isFile())
        help.file = chm;
    return help;
}

} // namespace qdv
