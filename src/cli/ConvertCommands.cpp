#include "cli/ConvertCommands.h"

#include "cli/CliContext.h"
#include "cli/HistoryNotice.h"
#include "convert/ConversionTables.h"

#include <QFileInfo>
#include <memory>

namespace qdv::cli {

namespace {

enum class Subject { Description, Crosspoint };

const char kUsage[] =
    "usage: qdv70cli [--home DIR] [--setup NAME|NUMBER] export|import description|crosspoint FILE\n";

bool ParseWords(const QStringList& words, Subject* subject, QString* file) {
    if (words.size() != 2 || words[1].isEmpty())
        return false;
    if (words[0] == QLatin1String("description"))
        *subject = Subject::Description;
    else if (words[0] == QLatin1String("crosspoint"))
        *subject = Subject::Crosspoint;
    else
        return false;
    *file = words[1];
    return true;
}

void NoteNotLoaded(QTextStream& err, const QString& path, const char* what) {
    err << "qdv70cli: note: " << path << " not loaded (" << what << "); its table is empty\n";
}

// The tables as the editors see them when they open: labels, descriptions and aliases; files missing or
// of the wrong size leave their tables empty.
void LoadNames(ConversionTables& t, const SetupRecord& setup, bool withNames, QTextStream& err) {
    if (!QFileInfo::exists(ConversionTables::StandardSettingsFile(setup)))
        NoteNotLoaded(err, ConversionTables::StandardSettingsFile(setup), "missing");
    t.BuildTerminalLabels(setup);
    if (!withNames)
        return;
    if (!t.LoadDescriptions(setup))
        NoteNotLoaded(err, ConversionTables::DescriptionFile(setup), "missing or not 71742 bytes");
    for (int k = 1; k <= AliasTables::kTables; ++k) {
        if (!t.LoadAliases(setup, k))
            NoteNotLoaded(err, ConversionTables::AliasFile(setup, k), "missing or not 66048 bytes");
    }
}

void LoadCrosspoints(ConversionTables& t, const SetupRecord& setup, QTextStream& err) {
    if (!t.LoadCrosspoints(setup))
        NoteNotLoaded(err, ConversionTables::CrosspointFile(setup), "missing");
}

int CannotWrite(QTextStream& err, const QString& path, const QString& why) {
    err << "qdv70cli: cannot write " << path << ": " << why << '\n';
    return kExitFailed;
}

int CannotRead(QTextStream& err, const QString& path) {
    err << "qdv70cli: cannot read " << path << '\n';
    return kExitFailed;
}

int NothingRead(QTextStream& err, const QString& file, const char* expected) {
    err << "qdv70cli: " << file << " holds no line of " << expected << "; nothing was written\n";
    return kExitFailed;
}

int ImportDescriptions(ConversionTables& t, const SetupRecord& setup, const QString& file, bool keepMissing,
                       QTextStream& out, QTextStream& err) {
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

int ImportCrosspoints(ConversionTables& t, const SetupRecord& setup, const QString& file, QTextStream& out,
                      QTextStream& err) {
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

int ExportText(ConversionTables& t, const SetupRecord& setup, Subject subject, const QString& file,
               QTextStream& out, QTextStream& err) {
    QString why;
    bool written;
    if (subject == Subject::Description) {
        LoadNames(t, setup, true, err);
        written = t.ExportDescriptionText(file, &why);
    } else {
        LoadCrosspoints(t, setup, err);
        written = t.ExportCrosspointText(file, &why);
    }
    if (!written)
        return CannotWrite(err, file, why);
    out << "exported " << (subject == Subject::Description ? "description" : "crosspoint") << " text to "
        << file << '\n';
    return kExitOk;
}

int Run(bool import, const SetupRecord& setup, const QStringList& words, const ImportOptions& options,
        QTextStream& out, QTextStream& err) {
    Subject subject;
    QString file;
    if (!ParseWords(words, &subject, &file)) {
        err << kUsage;
        return kExitUsage;
    }
    // The tables of every subject at once are too large for a comfortable stack frame.
    const auto t = std::make_unique<ConversionTables>();
    if (!import)
        return ExportText(*t, setup, subject, file, out, err);
    const bool names = subject == Subject::Description;
    const int result = names ? ImportDescriptions(*t, setup, file, options.keepMissing, out, err)
                             : ImportCrosspoints(*t, setup, file, out, err);
    ReportSnapshot(history::BackupHistory::Snapshot(setup.backupDataPath, setup.name,
                                                    names ? QStringLiteral("Import descriptions")
                                                          : QStringLiteral("Import crosspoints")),
                   err);
    return result;
}

} // namespace

int RunExport(const SetupRecord& setup, const QStringList& words, QTextStream& out, QTextStream& err) {
    return Run(false, setup, words, {}, out, err);
}

int RunImport(const SetupRecord& setup, const QStringList& words, QTextStream& out, QTextStream& err,
              const ImportOptions& options) {
    return Run(true, setup, words, options, out, err);
}

} // namespace qdv::cli
