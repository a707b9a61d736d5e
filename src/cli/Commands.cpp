#include "cli/Commands.h"

#include "cli/Backup.h"
#include "cli/Diff.h"
#include "cli/Discover.h"
#include "cli/Export.h"
#include "cli/Help.h"
#include "cli/History.h"
#include "cli/Import.h"
#include "cli/NotifyFailure.h"
#include "cli/Receive.h"
#include "cli/Restore.h"
#include "cli/Send.h"
#include "cli/Serve.h"
#include "cli/Setups.h"
#include "cli/Stations.h"
#include "cli/Status.h"
#include "cli/Verify.h"

namespace qdv::cli {

namespace {

std::vector<std::unique_ptr<Command>> MakeCommands() {
    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(std::make_unique<Setups>());
    commands.push_back(std::make_unique<Receive>());
    commands.push_back(std::make_unique<Send>());
    commands.push_back(std::make_unique<Backup>());
    commands.push_back(std::make_unique<Stations>());
    commands.push_back(std::make_unique<Export>());
    commands.push_back(std::make_unique<Import>());
    commands.push_back(std::make_unique<History>());
    commands.push_back(std::make_unique<Diff>());
    commands.push_back(std::make_unique<Restore>());
    commands.push_back(std::make_unique<Verify>());
    commands.push_back(std::make_unique<Status>());
    commands.push_back(std::make_unique<NotifyFailure>());
    commands.push_back(std::make_unique<Serve>());
    commands.push_back(std::make_unique<Discover>());
    commands.push_back(std::make_unique<Help>());
    return commands;
}

} // namespace

const std::vector<std::unique_ptr<Command>>& AllCommands() {
    static const std::vector<std::unique_ptr<Command>> commands = MakeCommands();
    return commands;
}

Command* FindCommand(const QString& name) {
    for (const auto& c : AllCommands()) {
        if (c->Name() == name)
            return c.get();
    }
    return nullptr;
}

} // namespace qdv::cli
