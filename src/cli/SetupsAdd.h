#pragma once

#include "cli/SetupsVerb.h"

namespace qdv::cli {

// `setups add`: appends a setup made from the options, checked as the setup editor checks it; prints its
// number.
class SetupsAdd : public SetupsVerb {
public:
    SetupsAdd();
    int Execute(CliContext& ctx, const QStringList& arguments) override;
};

} // namespace qdv::cli
