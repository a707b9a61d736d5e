#pragma once

#include "cli/SetupsVerb.h"

namespace qdv::cli {

// `setups copy`: appends a complete copy of a setup under a new name; prints its number.
class SetupsCopy : public SetupsVerb {
public:
    SetupsCopy();
    int Execute(CliContext& ctx, const QStringList& arguments) override;
};

} // namespace qdv::cli
