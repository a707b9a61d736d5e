#pragma once

#include <QString>

namespace qdv {

// Result codes of MakeCrosspointList.
enum CrosspointListResult : int {
    kListOk = 0,
    kListCannotOpen = 3,  // the input or the output cannot be opened
    kListInputClose = 4,  // closing the input failed
    kListWriteFailed = 5, // writing the output failed, or there was nothing to write
};

// Makes the compact crosspoint list (ZEBU_XPT.MKE) that a crosspoint send carries instead of the whole
// ZEBU_XPT.DAU: one 8-character record per routed source and destination, with a mask of the levels
// that route it, 32 records a line. A table without any routed cell gives kListWriteFailed and leaves
// the output untouched, so an empty table is never sent.
int MakeCrosspointList(const QString& inputPath, const QString& outputPath);

} // namespace qdv
