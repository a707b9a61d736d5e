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
// Descriptions: the tables are cleared, FILE is imported, ZEBU_NME.CSV written, the descriptions
// converted into ZEBU_NME.DAU and ZEBU_ALS1..7.DAU written. Crosspoints: ZEBU_XPT.DAU is loaded, FILE
// imported over it, ZEBU_XPT.CSV and ZEBU_XPT.DAU written. Returns 0, 1 on a failure (a refused
// conversion reports the converter's message and leaves ZEBU_NME.DAU as it was), 2 on a usage error.
int RunImport(const SetupRecord& setup, const QStringList& words, QTextStream& out, QTextStream& err);

} // namespace qdv::cli
