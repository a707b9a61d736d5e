#pragma once

#include "cli/Command.h"

#include <optional>

namespace qdv {
class SetupEditorModel;
class SetupList;
} // namespace qdv

namespace qdv::cli {

// What the verbs that change setups share: finding the setup a word names, refusing with the
// catalogue's message, taking the link options, and reporting a setup list that could not be written.
class SetupsVerb : public Command {
public:
    using Command::Command;

protected:
    // Parses the words and finds the setup the first argument names: empty with `k` set to go on, else
    // the exit status to end with.
    std::optional<int> ParseSetup(CliContext& ctx, const QStringList& arguments, int* k);
    // The number of the setup `word` names; 0 after saying why there is none or which setups share the
    // name (a usage error).
    int FindSetup(CliContext& ctx, const QString& word) const;
    // Prints the catalogue text of `code` on stderr; returns the failure status.
    static int Refuse(CliContext& ctx, int code);
    // 0 when the setup list was written, else the failure status after saying why.
    static int Saved(CliContext& ctx, SetupList& list);

    // --lan IP, --port N and --com N.
    void AddLinkOptions();
    // Puts the link options into the editor and the port into setup `number`; empty to go on, else the
    // exit status. `needLink`: one of --lan and --com must be given.
    std::optional<int> ApplyLinkOptions(CliContext& ctx, SetupEditorModel& editor, SetupList& list,
                                        bool needLink) const;
};

} // namespace qdv::cli
