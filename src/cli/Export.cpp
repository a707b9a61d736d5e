#include "cli/Export.h"

#include "cli/CliContext.h"
#include "convert/ConversionTables.h"

#include <memory>

namespace qdv::cli {

Export::Export()
    : TextCommand(QStringLiteral("export"),
                  QStringLiteral(
                      "Write the descriptions and aliases, or the crosspoints, as comma-separated text.")) {
    AddArgument(QStringLiteral("WHAT"), QStringLiteral("description or crosspoint"),
                QStringLiteral("description|crosspoint"));
    AddArgument(QStringLiteral("FILE"), QStringLiteral("the text file to write"));
}

int Export::Execute(CliContext& ctx, const QStringList& arguments) {
    if (const auto done = Parse(ctx, arguments))
        return *done;
    return WithChosenSetup(
        ctx, [&](const SetupRecord& setup) { return Write(setup, Words(), ctx.Out(), ctx.Err()); });
}

int Export::Write(const SetupRecord& setup, const QStringList& words, QTextStream& out, QTextStream& err) {
    Subject subject;
    QString file;
    if (!ParseWords(words, &subject, &file, err))
        return kExitUsage;
    // The tables of every subject at once are too large for a comfortable stack frame.
    const auto t = std::make_unique<ConversionTables>();
    QString why;
    bool written;
    if (subject == Subject::Description) {
        LoadNames(*t, setup, true, err);
        written = t->ExportDescriptionText(file, &why);
    } else {
        LoadCrosspoints(*t, setup, err);
        written = t->ExportCrosspointText(file, &why);
    }
    if (!written)
        return CannotWrite(err, file, why);
    out << "exported " << (subject == Subject::Description ? "description" : "crosspoint") << " text to "
        << file << '\n';
    return kExitOk;
}

} // namespace qdv::cli
