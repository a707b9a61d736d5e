#pragma once

#include "history/MeaningChange.h"
#include "history/SnapshotInfo.h"
#include "history/TerminalNames.h"

#include <QList>

namespace qdv::history {

// The changes between two states of a backup folder in the operator's terms, decoded with the tables
// the editors use: descriptions and aliases, routes, the standard settings; any other data file as the
// byte ranges that changed; files added or removed.
class MeaningDiff {
public:
    // `oldNames`/`newNames` name the sources of route lines as each state has them.
    static MeaningChanges Describe(const QList<FileChange>& changes, const TerminalNames& oldNames,
                                   const TerminalNames& newNames);
    static void Describe(const FileChange& change, const TerminalNames& oldNames,
                         const TerminalNames& newNames, MeaningChanges* out);
};

} // namespace qdv::history
