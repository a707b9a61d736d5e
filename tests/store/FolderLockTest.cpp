#include "store/FolderLock.h"
#include "support/TestFolder.h"

#include <gtest/gtest.h>

#include <future>

namespace qdv {
namespace {

using Result = FolderLock::Result;

// The result of a lock taken on a thread of its own (another writer of this process).
Result TryOnOtherThread(const QString& folder, QString* holder = nullptr) {
    return std::async(std::launch::async,
                      [&] {
                          FolderLock other;
                          const Result r = other.TryLock(folder, QStringLiteral("importing"));
                          if (holder)
                              *holder = other.Holder();
                          return r;
                      })
        .get();
}

TEST(FolderLock, oneHolderAtATimeNamedInTheOthersMessage) {
    test::TestFolder dir;
    const QString folder = dir.FilePath(QStringLiteral("Backup"));
    FolderLock::SetProgramName(QStringLiteral("qdv70"));
    FolderLock first;
    ASSERT_EQ(first.TryLock(folder, QStringLiteral("receiving Primary")), Result::Taken);
    EXPECT_TRUE(dir.Exists(QStringLiteral("Backup/.qdv70.lock")));

    QString holder;
    EXPECT_EQ(TryOnOtherThread(folder, &holder), Result::Busy);
    EXPECT_EQ(holder, QStringLiteral("qdv70 (pid %1) is receiving Primary").arg(::getpid()));

    // On the holder's own thread a second lock nests and its end frees nothing.
    {
        FolderLock nested;
        EXPECT_EQ(nested.TryLock(folder, QStringLiteral("recording the history")), Result::Taken);
    }
    EXPECT_EQ(TryOnOtherThread(folder), Result::Busy);

    first.Release();
    EXPECT_EQ(TryOnOtherThread(folder), Result::Taken);
}

TEST(FolderLock, waitEndsWhenFreedCancelledOrTimedOut) {
    test::TestFolder dir;
    const QString folder = dir.Path();
    struct Case {
        const char* name;
        int timeoutMs;
        bool cancel;
        bool freed; // the holder lets go once the waiter has said that it waits
        Result expected;
    };
    const Case cases[] = {
        {"freed during the wait", 5000, false, true, Result::Taken},
        {"cancelled", 5000, true, false, Result::Cancelled},
        {"timed out", 100, false, false, Result::Busy},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::OtherWriter holder(folder, QStringLiteral("restoring"));
        int told = 0;
        QString toldHolder;
        FolderLock waiter;
        const Result r = waiter.Lock(
            folder, QStringLiteral("importing"), c.timeoutMs, [&] { return c.cancel; },
            [&](const QString& h) {
                ++told;
                toldHolder = h;
                if (c.freed)
                    holder.Release();
            });
        EXPECT_EQ(r, c.expected);
        EXPECT_EQ(told, 1);
        EXPECT_TRUE(toldHolder.endsWith(QStringLiteral(" is restoring"))) << toldHolder.toStdString();
    }
}

TEST(FolderLock, holderTextAndFailures) {
    EXPECT_EQ(FolderLock::HolderText(""), QStringLiteral("another program is writing into it"));
    EXPECT_EQ(FolderLock::HolderText("qdv70cli\n77\nreceiving Crosspoint\n"),
              QStringLiteral("qdv70cli (pid 77) is receiving Crosspoint"));

    test::TestFolder dir;
    dir.Write(QStringLiteral("plain"), "a file, not a folder");
    FolderLock lock;
    EXPECT_EQ(lock.TryLock(dir.FilePath(QStringLiteral("plain/Backup")), QStringLiteral("x")),
              Result::Failed);
    EXPECT_FALSE(lock.Held());
    EXPECT_FALSE(lock.ErrorString().isEmpty());
}

} // namespace
} // namespace qdv
