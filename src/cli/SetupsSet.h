#pragma once

#include "cli/SetupsVerb.h"

namespace qdv::cli {

// `setups set`: changes the name, folder, link and options of a setup, checked as the setup editor checks
// them.
class SetupsSet : public SetupsVerb {
public:
    SetupsSet();
    int Execute(CliContext& ctx, const QStringList& arguments) override;
};

} // namespace qdv::cli
