#pragma once

#include <QString>

namespace qdv::cli {

// What the shell completion of qdv70cli completes, from the command registry: one line a fact,
// tab-separated "KIND<TAB>PATH<TAB>VALUE", PATH being "qdv70cli" followed by the command and verb:
//   verbs    PATH           the commands (of "qdv70cli") or a group's verbs, space-separated
//   options  PATH           the options of PATH, space-separated
//   value    PATH --OPTION  how the option's value is shown (DIR, NAME|NUMBER, ...)
//   args     PATH           how each positional argument is shown, space-separated
// `qdv70cli --completion-table` prints it; share/bash-completion/completions/qdv70cli reads it.
QString CompletionTable();

} // namespace qdv::cli
