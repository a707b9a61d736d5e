#include "cli/TextCommand.h"

#include "cli/CliContext.h"
#include "convert/ConversionTables.h"

#include <QFileInfo>

namespace qdv::cli {

namespace {

void NoteNotLoaded(QTextStream& err, const QString& path, const char* what) {
    err << "qdv70cli: note: " << path << " not loaded (" << what << "); its table is empty\n";
}

} // namespace

bool TextCommand::ParseWords(const QStringList& words, Subject* subject, QString* file, QTextStream& err) {
    bool ok = words.size() == 2 && !words[1].isEmpty();
    if (ok && words[0] == QLatin1String("description"))
        *subject = Subject::Description;
    else if (ok && words[0] == QLatin1String("crosspoint"))
        *subject = Subject::Crosspoint;
    else
        ok = false;
    if (!ok) {
        err << "usage: qdv70cli [--home DIR] [--setup NAME|NUMBER] export|import description|crosspoint "
               "FILE\n";
        return false;
    }
    *file = words[1];
    return true;
}

void TextCommand::LoadNames(ConversionTables& t, const SetupRecord& setup, bool withNames, QTextStream& err) {
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

void TextCommand::LoadCrosspoints(ConversionTables& t, const SetupRecord& setup, QTextStream& err) {
    if (!t.LoadCrosspoints(setup))
        NoteNotLoaded(err, ConversionTables::CrosspointFile(setup), "missing");
}

int TextCommand::CannotWrite(QTextStream& err, const QString& path, const QString& why) {
    err << "qdv70cli: cannot write " << path << ": " << why << '\n';
    return kExitFailed;
}

} // namespace qdv::cli
