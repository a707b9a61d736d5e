#pragma once

#include <QStringList>
#include <QTextStream>

namespace qdv::cli {

class CliContext;

// `receive|send description|crosspoint|primary`: runs one transfer job of the chosen setup through the
// task controller and the link engine, showing its progress, and reports as the main window would.
int RunJob(CliContext& ctx, bool send, const QStringList& words, QTextStream& out, QTextStream& err);

} // namespace qdv::cli
