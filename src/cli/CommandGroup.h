#pragma once

#include "cli/Command.h"

#include <memory>
#include <vector>

namespace qdv::cli {

// A command whose first word is a verb, each verb a command of its own (`setups add`, `stations
// check`). Without a verb the group runs its default verb, when it has one (`setups` lists them).
class CommandGroup : public Command {
public:
    CommandGroup(QString name, QString description);

    // Adds a verb; the first one added with `isDefault` runs when no verb is given.
    void AddVerb(std::unique_ptr<Command> verb, bool isDefault = false);
    const std::vector<std::unique_ptr<Command>>& Verbs() const { return m_verbs; }
    Command* FindVerb(const QString& name) const;

    QString HelpText() const override;
    int Execute(CliContext& ctx, const QStringList& arguments) override;

private:
    std::vector<std::unique_ptr<Command>> m_verbs;
    Command* m_default = nullptr;
};

} // namespace qdv::cli
