#pragma once

#include "cli/Command.h"

namespace qdv::cli {

// `notify-failure --setup S`: runs the command of [BACKUP] ON_FAILURE (QDV70COMM.INI) through /bin/sh
// with the setup's name as its first argument and in QDV70_SETUP, and the setup's status as a JSON
// object on standard input. Nothing runs when the key is empty. The failure unit of the nightly backup
// calls it.
class NotifyFailure : public Command {
public:
    NotifyFailure();
    int Execute(CliContext& ctx, const QStringList& arguments) override;
};

} // namespace qdv::cli
