#pragma once

#include "cli/Command.h"
#include "store/SetupRecord.h"

#include <QTextStream>

namespace qdv {
class ConversionTables;
}

namespace qdv::cli {

// The commands that convert between a setup's data files and comma-separated text: export and import.
// The base reads their words and loads the tables as the editors see them when they open.
class TextCommand : public Command {
protected:
    using Command::Command;

    enum class Subject { Description, Crosspoint };
    // `description|crosspoint FILE`; false after printing the usage on `err`.
    static bool ParseWords(const QStringList& words, Subject* subject, QString* file, QTextStream& err);
    // The labels and, with `withNames`, the descriptions and aliases; files missing or of the wrong size
    // leave their tables empty, with a note on `err`.
    static void LoadNames(ConversionTables& t, const SetupRecord& setup, bool withNames, QTextStream& err);
    static void LoadCrosspoints(ConversionTables& t, const SetupRecord& setup, QTextStream& err);
    static int CannotWrite(QTextStream& err, const QString& path, const QString& why);
};

} // namespace qdv::cli
