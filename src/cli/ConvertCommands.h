#pragma once

#include "store/SetupRecord.h"

#include <QStringList>
#include <QTextStream>

namespace qdv::cli {

// `export description|crosspoint FILE`: writes the long description text or the crosspoint text of the
// setup's current files. `words` are what follows "export". Returns 0, 1 when FILE cannot be written,
// 2 on a usage error.
int RunExport(const SetupRecord& setup, const QStringList& words, QTextStream& out, QTextStream& err);

struct ImportOptions {
    bool keepMissing = false; // descriptions: terminals the text does not name keep what they have
};

// `import description|crosspoint FILE`: what the editors do on Import followed by OK and Yes.
// Descriptions: the tables are cleared (with keepMissing: loaded from the files), FILE is imported, the
// descriptions converted into ZEBU_NME.DAU, then ZEBU_ALS1..7.DAU and ZEBU_NME.CSV written; stderr says
// how many terminals the text did not name. Crosspoints: ZEBU_XPT.DAU is loaded, FILE imported over
// it, ZEBU_XPT.CSV and ZEBU_XPT.DAU written. The summary on stdout counts what was read. Returns 0, 1 on
// a failure, 2 on a usage error. A text without a single line of the expected form, a character the
// controller cannot store, or a conversion that refuses a line is reported and writes no file at all.
int RunImport(const SetupRecord& setup, const QStringList& words, QTextStream& out, QTextStream& err,
              const ImportOptions& options = {});

} // namespace qdv::cli
