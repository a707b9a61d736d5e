#pragma once

#include "cli/SetupsVerb.h"

namespace qdv::cli {

// `setups delete`: removes a setup; later setups move up one place.
class SetupsDelete : public SetupsVerb {
public:
    SetupsDelete();
    int Execute(CliContext& ctx, const QStringList& arguments) override;
};

} // namespace qdv::cli
