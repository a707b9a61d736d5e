#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace qdv::cli {

// What the history commands print, once their options are read. Each returns the exit status.
class HistoryOutput {
public:
    // One line per snapshot, newest first: short id, date, job, changed files (and failed ones).
    static int History(const QString& folder, int max, bool json, QTextStream& out, QTextStream& err);
    // The changes by meaning, one line each.
    static int Diff(const QString& folder, const QString& oldRevision, const QString& newRevision, bool json,
                    QTextStream& out, QTextStream& err);
    // Writes a snapshot's files back into the folder; it sends nothing.
    static int Restore(const QString& folder, const QString& setupName, const QString& revision,
                       const QStringList& files, bool json, QTextStream& out, QTextStream& err);
    // Exit 0 when the folder matches its last snapshot and every data file has its size, else 1.
    static int Verify(const QString& folder, bool json, QTextStream& out, QTextStream& err);
};

} // namespace qdv::cli
