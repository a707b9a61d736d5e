#include "history/FolderVerifier.h"

#include "history/HistoryRepository.h"
#include "store/DataFileSet.h"

#include <QDirIterator>
#include <QFileInfo>

namespace qdv::history {

qint64 FolderVerifier::ExpectedSize(const QString& fileName) {
    return datafiles::KnownFileSize(fileName);
}

bool FolderVerifier::SizeAccepted(const QString& fileName, qint64 size) {
    return datafiles::SizeAccepted(fileName, size);
}

QList<FolderProblem> FolderVerifier::Verify(const QString& folder) {
    QList<FolderProblem> problems;
    using Kind = FolderProblem::Kind;
    if (!QFileInfo(folder).isDir()) {
        problems.append({Kind::Missing, QString(), QStringLiteral("%1: no such backup folder").arg(folder)});
        return problems;
    }

    HistoryRepository::OpenState state = HistoryRepository::OpenState::Ok;
    QString error;
    const auto repo = HistoryRepository::Open(folder, false, &state, &error);
    QString head;
    if (!repo) {
        problems.append({Kind::NoHistory, QString(),
                         state == HistoryRepository::OpenState::Foreign
                             ? QStringLiteral("no history: the folder's .git was not made by this program")
                             : QStringLiteral("no history: nothing to compare the files with")});
    } else if (!repo->Resolve(QStringLiteral("HEAD"), &head, &error)) {
        problems.append({Kind::NoHistory, QString(), QStringLiteral("no history: no snapshot yet")});
    } else {
        QList<FileChange> changes;
        if (!repo->Changes(head, QString(), &changes, &error)) {
            problems.append({Kind::NoHistory, QString(), error});
        }
        for (const FileChange& c : changes) {
            if (!c.inNew)
                problems.append({Kind::Missing, c.path, c.path + QStringLiteral(": missing")});
            else if (!c.inOld)
                problems.append(
                    {Kind::Untracked, c.path, c.path + QStringLiteral(": not in the last snapshot")});
            else
                problems.append(
                    {Kind::ChangedOutside, c.path, c.path + QStringLiteral(": changed outside the program")});
        }
    }

    const QString root = QFileInfo(folder).absoluteFilePath() + QLatin1Char('/');
    // Hidden entries are not data files, and the history's own .git is not walked at all.
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    QList<FolderProblem> sizes;
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        const QString path = info.absoluteFilePath().mid(root.size());
        if (!HistoryRepository::IsTracked(path))
            continue;
        if (!SizeAccepted(info.fileName(), info.size()))
            sizes.append({Kind::WrongSize, path,
                          QStringLiteral("%1: wrong size %2 (expected %3)")
                              .arg(path)
                              .arg(info.size())
                              .arg(ExpectedSize(info.fileName()))});
    }
    std::sort(sizes.begin(), sizes.end(), [](const auto& a, const auto& b) { return a.path < b.path; });
    problems.append(sizes);
    return problems;
}

} // namespace qdv::history
