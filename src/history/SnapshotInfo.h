#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

namespace qdv::history {

// One snapshot of a backup folder's history.
struct SnapshotInfo {
    QString id;               // full commit id
    QString shortId;          // the first characters, unique in the repository
    QDateTime time;           // when it was taken
    QString job;              // what changed the folder ("Receive Primary", "Restore 1a2b3c4")
    QString setup;            // the setup it was taken for
    QStringList failedFiles;  // files the job could not store
    QStringList changedFiles; // folder-relative paths that differ from the snapshot before
};

// A file that differs between two states of a backup folder. Paths are relative to the folder, with
// '/'; a missing side is empty and flagged.
struct FileChange {
    QString path;
    bool inOld = false;
    bool inNew = false;
    QByteArray oldData;
    QByteArray newData;
};

} // namespace qdv::history
