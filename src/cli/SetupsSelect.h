#pragma once

#include "cli/SetupsVerb.h"

namespace qdv::cli {

// `setups select`: makes a setup the selected one, the one jobs use without --setup.
class SetupsSelect : public SetupsVerb {
public:
    SetupsSelect();
    int Execute(CliContext& ctx, const QStringList& arguments) override;
};

} // namespace qdv::cli
