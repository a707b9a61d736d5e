#pragma once

#include "store/SetupRecord.h"

#include <QStringList>
#include <QTextStream>

namespace qdv::cli {

// `export description|crosspoint FILE`: writes the long description text or the crosspoint text of the
// setup's current files. `words` are what follows "export". Returns 0, 1 when FILE cannot be written,
// 2 on a usage error.
int RunExport(const SetupRecord& setup, const QStringList& words, QTextStream& out, QTextStream& err);

// `import description|crosspoint FILE`: what the editors do on Import followed by OK and Yes.
// Descriptions: the tables are cleared, FILE is imported, the descriptions converted into
// ZEBU_NME.DAU, then ZEBU_ALS1..7.DAU and ZEBU_NME.CSV written. Crosspoints: ZEBU_XPT.DAU is loaded,
// FILE imported over it, ZEBU_XPT.CSV and ZEBU_XPT.DAU written. Returns 0, 1 on a failure, 2 on a usage
// error. A conversion that refuses a line reports the converter's message and writes no file at all.
int RunImport(const SetupRecord& setup, const QStringList& words, QTextStream& out, QTextStream& err);

} // namespace qdv::cli
