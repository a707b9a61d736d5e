#include "cli/FolderHold.h"

#include "cli/CliContext.h"

#include <atomic>
#include <csignal>

namespace qdv::cli {

namespace {

std::atomic<bool> g_interrupted{false};

extern "C" void OnFolderWaitInterrupt(int) {
    g_interrupted = true;
}

} // namespace

int HoldFolder(CliContext& ctx, const QString& folder, const QString& job, FolderLock& lock, QString* why) {
    g_interrupted = false;
    struct sigaction action {};
    struct sigaction oldInt {};
    struct sigaction oldTerm {};
    action.sa_handler = OnFolderWaitInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &oldInt);
    sigaction(SIGTERM, &action, &oldTerm);
    const FolderLock::Result r = lock.Lock(
        folder, job, ctx.FolderWaitSeconds() * 1000, [] { return g_interrupted.load(); },
        [&](const QString& who) {
            ctx.Err() << "qdv70cli: waiting for the backup folder: " << who << '\n';
            ctx.Err().flush();
        });
    sigaction(SIGINT, &oldInt, nullptr);
    sigaction(SIGTERM, &oldTerm, nullptr);
    QString text;
    int status = kExitOk;
    if (r == FolderLock::Result::Busy) {
        text = QStringLiteral("waiting for the backup folder: %1 (gave up after %2 s)")
                   .arg(lock.Holder())
                   .arg(ctx.FolderWaitSeconds());
        status = kExitFailed;
    } else if (r == FolderLock::Result::Cancelled) {
        text = QStringLiteral("interrupted while waiting for the backup folder");
        status = kExitAborted;
    }
    if (status != kExitOk) {
        ctx.Err() << "qdv70cli: " << text << '\n';
        if (why)
            *why = text;
    }
    return status;
}

} // namespace qdv::cli
