#pragma once

#include <QString>
#include <QStringList>

namespace qdv::history {

// One thing wrong with a backup folder.
struct FolderProblem {
    enum class Kind { ChangedOutside, Missing, Untracked, WrongSize, NoHistory };
    Kind kind = Kind::ChangedOutside;
    QString path; // folder-relative
    QString text; // one line for the operator
};

// Checks a backup folder: every data file against the last snapshot (changed behind the program's
// back, missing, not in the snapshot) and every file of the data file set against its fixed size.
class FolderVerifier {
public:
    static QList<FolderProblem> Verify(const QString& folder);

    // The size a data file of this name must have, or 0 when its name does not fix one. The tie-line
    // file may also have twice its size.
    static qint64 ExpectedSize(const QString& fileName);
    static bool SizeAccepted(const QString& fileName, qint64 size);
};

} // namespace qdv::history
