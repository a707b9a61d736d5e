#pragma once

#include "cli/CommandGroup.h"

namespace qdv::cli {

// `setups [VERB]`: the setups of QDV70LIST.INI; without a verb, the list.
class Setups : public CommandGroup {
public:
    Setups();
};

} // namespace qdv::cli
