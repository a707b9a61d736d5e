#pragma once

#include "cli/CommandGroup.h"

namespace qdv::cli {

// `stations [VERB]`: the setup's secondary station list; without a verb, the list.
class Stations : public CommandGroup {
public:
    Stations();
};

} // namespace qdv::cli
