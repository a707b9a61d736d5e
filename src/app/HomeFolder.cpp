#include "app/HomeFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace qdv {
namespace {

QString Absolute(const QString& path) {
    return QDir::cleanPath(QDir::current().absoluteFilePath(path));
}

bool IsWritableFolder(const QString& path) {
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.isDir() && info.isWritable();
}

// The folders of installed programs (/usr/bin, /usr/local/bin, /bin, ...) are writable for root
// only; a program installed there is no portable install, also when root runs it.
bool IsSystemProgramFolder(const QString& path) {
    const QString clean = QDir::cleanPath(path);
    return clean.startsWith(QLatin1String("/usr/")) || clean == QLatin1String("/bin") ||
           clean == QLatin1String("/sbin");
}

} // namespace

QString ChooseHomeFolder(const HomeFolderCandidates& candidates) {
    if (!candidates.option.isEmpty())
        return Absolute(candidates.option);
    if (!candidates.environment.isEmpty())
        return Absolute(candidates.environment);
    if (IsWritableFolder(candidates.executableFolder) && !IsSystemProgramFolder(candidates.executableFolder))
        return Absolute(candidates.executableFolder);
    return Absolute(QDir(candidates.configFolder).filePath(QStringLiteral("qdv70")));
}

QString ResolveHomeFolder(const QString& optionValue) {
    HomeFolderCandidates candidates;
    candidates.option = optionValue;
    candidates.environment = qEnvironmentVariable("QDV70_HOME");
    // Without an application object there is no reliable executable path; the other choices remain.
    if (QCoreApplication::instance())
        candidates.executableFolder = QCoreApplication::applicationDirPath();
    candidates.configFolder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const QString home = ChooseHomeFolder(candidates);
    QDir().mkpath(home);
    return home;
}

} // namespace qdv
