#include "cli/Import.h"

#include "cli/CliContext.h"
#include "cli/FolderHold.h"
#include "cli/HistoryNotice.h"
#include "convert/ConversionTables.h"

#include <memory>

namespace qdv::cli {

namespace {

int CannotRead(QTextStream& err, const QString& path) {
    err << "qdv70cli: cannot read " << path << '\n';
    return kExitFailed;
}

int NothingRead(QTextStream& err, const QString& file, const char* expected) {
    err << "qdv70cli: " << file << " holds no line of " << expected << "; nothing was written\n";
    return kExitFailed;
}

} // namespace

Import::Import()
    : TextCommand(QStringLiteral("import"),
                  QStringLiteral("Read such a text into the setup's data files, as the editors do on OK.")) {
    AddArgument(QStringLiteral("WHAT"), QStringLiteral("description or crosspoint"),
                QStringLiteral("description|crosspoint"));
    AddArgument(QStringLiteral("FILE"), QStringLiteral("the text file to read"));
    AddOption(
        QCommandLineOption(QStringLiteral("keep-missing"),
                           QStringLiteral("Descriptions: keep the terminals FILE does not name, instead "
                                          "of clearing them.")));
}

int Import::Execute(CliContext& ctx, const QStringList& arguments) {
    if (const auto done = Parse(ctx, arguments))
        return *done;
    return WithChosenSetup(ctx, [&](const SetupRecord& setup) {
        FolderLock folder;
        const QString job = QStringLiteral("importing ") + Words().value(0);
        if (const int held = HoldFolder(ctx, setup.backupDataPath, job, folder))
            return held;
        return Read(setup, Words(), ctx.Out(), ctx.Err(), Parsed().isSet(QStringLiteral("keep-missing")));
    });
}

int Import::Read(const SetupRecord& setup, const QStringList& words, QTextStream& out, QTextStream& err,
                 bool keepMissing) {
    Subject subject;
    QString file;
    if (!ParseWords(words, &subject, &file, err))
        return kExitUsage;
    // The tables of every subject at once are too large for a comfortable stack frame.
    const auto t = std::make_unique<ConversionTables>();
    const bool names = subject == Subject::Description;
    const int result = names ? ReadDescriptions(*t, setup, file, keepMissing, out, err)
                             : ReadCrosspoints(*t, setup, file, out, err);
    ReportSnapshot(history::BackupHistory::Snapshot(setup.backupDataPath, setup.name,
                                                    names ? QStringLiteral("Import descriptions")
                                                          : QStringLiteral("Import crosspoints")),
                   err);
    return result;
}

int Import::ReadDescriptions(ConversionTables& t, const SetupRecord& setup, const QString& file,
                             bool keepMissing, QTextStream& out, QTextStream& err) {
    LoadNames(t, setup, keepMissing, err);
    DescriptionImport read;
    if (!t.ImportDescriptionText(file, &read))
        return CannotRead(err, file);
    if (!read.refusal.isEmpty()) {
        err << "qdv70cli: " << file << ": " << read.refusal << "\nqdv70cli: nothing was written\n";
        return kExitFailed;
    }
    // A file that is no description text (a crosspoint text, a file with other line ends) would clear
    // every description and alias.
    if (read.Terminals() == 0)
        return NothingRead(err, file, "description text (\"S<n>,...\" or \"D<n>,...\")");
    if (const int missing = 2 * kTerminalCount - read.Terminals(); missing > 0) {
        err << "qdv70cli: " << file << " names " << read.sources << " of " << kTerminalCount
            << " sources and " << read.destinations << " of " << kTerminalCount << " destinations; the other "
            << missing
            << (keepMissing ? " terminals keep their descriptions and aliases\n"
                            : " terminals were left empty (--keep-missing keeps them)\n");
    }
    // The description file and the alias files go as one set: when the conversion refuses a line or a
    // file cannot be written, none of them is replaced, so a script never leaves them from different
    // imports.
    const ConverterResult saved = t.SaveDescriptionsAndAliases(setup);
    if (saved.code != DescriptionConverter::kOk) {
        err << "qdv70cli: " << QString::fromLocal8Bit(saved.message) << '\n'
            << "qdv70cli: nothing was written; " << ConversionTables::DescriptionFile(setup)
            << " and the alias files are as they were\n";
        return kExitFailed;
    }
    QString why;
    const QString csv = ConversionTables::DescriptionCsvFile(setup);
    if (!t.ExportDescriptionText(csv, &why))
        return CannotWrite(err, csv, why);
    out << "imported " << file << " into " << ConversionTables::DescriptionFile(setup) << " and "
        << AliasTables::kTables << " alias files: " << read.sources << " sources, " << read.destinations
        << " destinations, " << read.aliasTables << " alias tables\n";
    return kExitOk;
}

int Import::ReadCrosspoints(ConversionTables& t, const SetupRecord& setup, const QString& file,
                            QTextStream& out, QTextStream& err) {
    LoadCrosspoints(t, setup, err);
    CrosspointImport read;
    if (!t.ImportCrosspointText(file, &read))
        return CannotRead(err, file);
    if (read.cells == 0)
        return NothingRead(err, file, "crosspoint text (\"L<level>,<destination>,S<source>\")");
    QString why;
    const QString csv = ConversionTables::CrosspointCsvFile(setup);
    if (!t.ExportCrosspointText(csv, &why))
        return CannotWrite(err, csv, why);
    if (!t.SaveCrosspoints(setup, &why))
        return CannotWrite(err, ConversionTables::CrosspointFile(setup), why);
    out << "imported " << file << " into " << ConversionTables::CrosspointFile(setup) << ": " << read.cells
        << " crosspoints, " << read.routed << " routed\n";
    return kExitOk;
}

} // namespace qdv::cli
