#pragma once

#include <QString>
#include <QStringList>

namespace qdv {

// Where Help finds the operator's manual: the HTML manual installed with the program (a folder per
// language, "en" and "ja", each with index.html), else a help file HELP/qdv70e.chm or qdv70j.chm in
// the home folder.
struct HelpLocation {
    QString file;       // the page or file to open; empty when nothing was found
    QStringList looked; // every place tried, in order, for the message that says none was there
};

// The manual folders of an installed or a built program: "manual" beside the executable, then
// share/qdv70/manual beside its bin folder.
QStringList DefaultManualFolders(const QString& executableFolder);

HelpLocation FindHelp(const QStringList& manualFolders, const QString& homeFolder, bool japanese);

} // namespace qdv
