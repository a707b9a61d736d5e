#include "app/SingleInstance.h"
#include "support/TestFolder.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

namespace qdv {
namespace {

// One program of a name at a time, wherever it lies: a copy of another name runs beside it, and the lock
// ends with its holder or when the holder takes another name.
TEST(SingleInstance, oneProgramOfANameAtATime) {
    test::TestFolder locks;
    {
        SingleInstance first(locks.Path());
        ASSERT_TRUE(first.TryAcquire("/usr/bin/qdv70"));
        SingleInstance again(locks.Path());
        EXPECT_FALSE(again.TryAcquire("/opt/other/qdv70"));
        EXPECT_FALSE(again.IsHeld());
        EXPECT_TRUE(first.IsHeld());
        SingleInstance other(locks.Path());
        EXPECT_TRUE(other.TryAcquire("qdv70-test"));
        ASSERT_TRUE(first.TryAcquire("renamed"));
        EXPECT_TRUE(again.TryAcquire("qdv70"));
    }
    SingleInstance later(locks.Path());
    EXPECT_TRUE(later.TryAcquire("qdv70"));
    EXPECT_TRUE(later.TryAcquire("renamed"));
}

TEST(SingleInstance, lockLeftByADeadProcessIsTakenOver) {
    // A child that has ended gives a process id that no running process has.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        _exit(0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);

    test::TestFolder locks;
    // The lock names this very program, so only the process id tells that its holder is gone.
    const QByteArray program = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget().toLocal8Bit();
    locks.Write("qdv70.lock", QByteArray::number(child) + "\n" + program + "\n\n");
    SingleInstance instance(locks.Path());
    EXPECT_TRUE(instance.TryAcquire("qdv70"));
    EXPECT_EQ(instance.LockFilePath(), locks.FilePath("qdv70.lock"));
}

} // namespace
} // namespace qdv
