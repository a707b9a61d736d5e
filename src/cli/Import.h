#pragma once

#include "cli/TextCommand.h"

namespace qdv::cli {

// `import description|crosspoint FILE`: what the editors do on Import followed by OK and Yes.
class Import : public TextCommand {
public:
    Import();
    int Execute(CliContext& ctx, const QStringList& arguments) override;

    // Descriptions: the tables are cleared (with `keepMissing`: loaded from the files), FILE is imported,
    // the descriptions converted into ZEBU_NME.DAU, then ZEBU_ALS1..7.DAU and ZEBU_NME.CSV written; stderr
    // says how many terminals the text did not name. Crosspoints: ZEBU_XPT.DAU is loaded, FILE imported
    // over it, ZEBU_XPT.CSV and ZEBU_XPT.DAU written. The summary on stdout counts what was read. `words`
    // are what follows "import". Returns 0, 1 on a failure, 2 on a usage error. A text without a single
    // line of the expected form, a character the controller cannot store, or a conversion that refuses a
    // line is reported and writes no file at all.
    static int Read(const SetupRecord& setup, const QStringList& words, QTextStream& out, QTextStream& err,
                    bool keepMissing = false);

private:
    static int ReadDescriptions(ConversionTables& t, const SetupRecord& setup, const QString& file,
                                bool keepMissing, QTextStream& out, QTextStream& err);
    static int ReadCrosspoints(ConversionTables& t, const SetupRecord& setup, const QString& file,
                               QTextStream& out, QTextStream& err);
};

} // namespace qdv::cli
