#include "cli/NotifyFailure.h"

#include "app/SetupHealth.h"
#include "cli/CliContext.h"

#include <QJsonDocument>
#include <QProcess>

namespace qdv::cli {

namespace {
// A hook that hangs (a mail server that never answers) must not keep the unit running for ever.
constexpr int kHookTimeoutMs = 5 * 60 * 1000;
} // namespace

NotifyFailure::NotifyFailure()
    : Command(
          QStringLiteral("notify-failure"),
          QStringLiteral("Run the command of [BACKUP] ON_FAILURE in QDV70COMM.INI for a setup whose backup "
                         "failed: the setup's name is its first argument, its status (as status --json has "
                         "it) comes on standard input. Nothing runs when the key is empty.")) {
    AddSetupChoice();
}

int NotifyFailure::Execute(CliContext& ctx, const QStringList& arguments) {
    if (const auto done = Parse(ctx, arguments))
        return *done;
    QList<int> chosen;
    if (const auto done = ChooseSetups(ctx, &chosen))
        return *done;

    const QString command = ctx.File().LoadBackupFailureCommand();
    const SetupHealth health = AssessSetups(ctx, chosen).front();
    if (command.isEmpty()) {
        ctx.Err() << "qdv70cli: " << health.name << ": no [BACKUP] ON_FAILURE command; nothing run\n";
        return kExitOk;
    }
    QProcess hook;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QDV70_SETUP"), health.name);
    hook.setProcessEnvironment(env);
    // The hook's own output goes where ours goes: the journal, under the failure unit.
    hook.setProcessChannelMode(QProcess::ForwardedChannels);
    hook.start(QStringLiteral("/bin/sh"),
               {QStringLiteral("-c"), command, QStringLiteral("qdv70-on-failure"), health.name});
    if (!hook.waitForStarted()) {
        ctx.Err() << "qdv70cli: the [BACKUP] ON_FAILURE command could not be started: " << hook.errorString()
                  << '\n';
        return kExitFailed;
    }
    hook.write(QJsonDocument(health.ToJson(QDateTime::currentDateTime())).toJson(QJsonDocument::Indented));
    hook.closeWriteChannel();
    if (!hook.waitForFinished(kHookTimeoutMs)) {
        hook.kill();
        hook.waitForFinished();
        ctx.Err() << "qdv70cli: the [BACKUP] ON_FAILURE command did not end within 5 minutes; stopped\n";
        return kExitFailed;
    }
    if (hook.exitStatus() != QProcess::NormalExit || hook.exitCode() != 0) {
        ctx.Err() << "qdv70cli: the [BACKUP] ON_FAILURE command failed (exit status " << hook.exitCode()
                  << ")\n";
        return kExitFailed;
    }
    return kExitOk;
}

} // namespace qdv::cli
