#pragma once

#include "cli/SetupsVerb.h"

namespace qdv::cli {

// `setups show`: every field of a setup, one KEY=value a line, with the keys of QDV70LIST.INI.
class SetupsShow : public SetupsVerb {
public:
    SetupsShow();
    int Execute(CliContext& ctx, const QStringList& arguments) override;
};

} // namespace qdv::cli
