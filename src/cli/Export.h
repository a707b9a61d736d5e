#pragma once

#include "cli/TextCommand.h"

namespace qdv::cli {

// `export description|crosspoint FILE`: the comma-separated text form of the chosen setup's tables.
class Export : public TextCommand {
public:
    Export();
    int Execute(CliContext& ctx, const QStringList& arguments) override;

    // Writes the long description text or the crosspoint text of the setup's current files. `words` are
    // what follows "export". Returns 0, 1 when FILE cannot be written, 2 on a usage error.
    static int Write(const SetupRecord& setup, const QStringList& words, QTextStream& out, QTextStream& err);
};

} // namespace qdv::cli
