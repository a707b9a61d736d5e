#pragma once

#include "cli/SetupsVerb.h"

namespace qdv::cli {

// `setups move`: exchanges a setup with the one before (up) or after it (down).
class SetupsMove : public SetupsVerb {
public:
    SetupsMove();
    int Execute(CliContext& ctx, const QStringList& arguments) override;
};

} // namespace qdv::cli
