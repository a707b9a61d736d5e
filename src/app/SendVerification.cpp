#include "app/SendVerification.h"

#include "convert/TmTableRemote.h"
#include "link/TransferJobs.h"
#include "store/DataFileSet.h"
#include "store/DataImage.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace qdv {

QString SendVerification::FileCheck::Text() const {
    if (!error.isEmpty())
        return QStringLiteral("%1: cannot be compared: %2").arg(name, error);
    if (address < 0)
        return QStringLiteral("%1: verified").arg(name);
    return QStringLiteral("%1: differs from the device at address 0x%2")
        .arg(name, QString::number(address, 16).toUpper().rightJustified(4, QLatin1Char('0')));
}

QList<int> SendVerification::FilesOfKind(const SetupRecord& setup, int kind) {
    if (kind == kJobDescription)
        return {datafiles::kNme};
    if (kind == kJobCrosspoint)
        return {datafiles::kXpt};
    QList<int> codes;
    if (kind != kJobPrimary)
        return codes;
    for (int i = 0; i < datafiles::kPrimaryCount; ++i) {
        if (setup.primaryBackupFiles & (1 << i))
            codes << datafiles::CodeOfCharacter(datafiles::kPrimaryTypes[i]);
    }
    return codes;
}

SetupRecord SendVerification::ReadBackSetup(const SetupRecord& setup, const QString& folder) {
    SetupRecord readBack = setup;
    readBack.SetBackupDataPath(folder);
    return readBack;
}

std::vector<SendVerification::FileCheck> SendVerification::Compare(const TmTableRemote& resolver,
                                                                   const SetupRecord& setup, int kind,
                                                                   const QString& folder) {
    const SetupRecord readBack = ReadBackSetup(setup, folder);
    std::vector<FileCheck> checks;
    for (const int code : FilesOfKind(setup, kind)) {
        const QString sentPath = resolver.ReceiveTarget(setup, kind, 0, code).path;
        FileCheck check;
        check.name = QFileInfo(sentPath).fileName();
        QFile sent(sentPath);
        QFile got(resolver.ReceiveTarget(readBack, kind, 0, code).path);
        if (!sent.open(QIODevice::ReadOnly) || !got.open(QIODevice::ReadOnly))
            check.error = sent.isOpen() ? got.errorString() : sent.errorString();
        else
            check.address = image::FirstDifferingByte(sent.readAll(), got.readAll());
        checks.push_back(check);
    }
    return checks;
}

int SendVerification::Differing(const std::vector<FileCheck>& checks) {
    return static_cast<int>(
        std::count_if(checks.begin(), checks.end(), [](const FileCheck& c) { return !c.Ok(); }));
}

} // namespace qdv
