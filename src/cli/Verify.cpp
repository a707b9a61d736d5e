#include "cli/Verify.h"

#include "cli/CliContext.h"
#include "history/FolderVerifier.h"

#include <QJsonArray>
#include <QJsonObject>

namespace qdv::cli {

Verify::Verify()
    : Command(QStringLiteral("verify"),
              QStringLiteral("Check every data file of the backup folder against the last snapshot and its "
                             "expected size; report files changed outside the program, missing, or of the "
                             "wrong size. Exit 0 when clean, 1 otherwise.")) {
    AddJsonOption(QStringLiteral("Print the result as a JSON object."));
}

int Verify::Execute(CliContext& ctx, const QStringList& arguments) {
    if (const auto done = Parse(ctx, arguments))
        return *done;
    return WithChosenSetup(ctx, [&](const SetupRecord& setup) {
        const QList<history::FolderProblem> problems = history::FolderVerifier::Verify(setup.backupDataPath);
        if (Json()) {
            static const char* const kKinds[] = {"changed-outside", "missing", "untracked", "wrong-size",
                                                 "no-history"};
            QJsonArray list;
            for (const history::FolderProblem& p : problems)
                list.append(
                    QJsonObject{{QStringLiteral("kind"), QLatin1String(kKinds[static_cast<int>(p.kind)])},
                                {QStringLiteral("path"), p.path},
                                {QStringLiteral("text"), p.text}});
            PrintJson(ctx, QJsonObject{{QStringLiteral("clean"), problems.isEmpty()},
                                       {QStringLiteral("problems"), list}});
        } else {
            for (const history::FolderProblem& p : problems)
                ctx.Out() << p.text << '\n';
            if (problems.isEmpty())
                ctx.Out() << "clean: every data file matches the last snapshot and has its size\n";
        }
        return problems.isEmpty() ? kExitOk : kExitFailed;
    });
}

} // namespace qdv::cli
