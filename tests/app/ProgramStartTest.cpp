#include "app/HomeFolder.h"
#include "app/SingleInstance.h"
#include "support/TestFolder.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

namespace qdv {
namespace {

TEST(HomeFolder, optionThenEnvironmentThenWritableExecutableFolderThenConfig) {
    test::TestFolder t;
    t.Write("exe/qdv70", "binary");
    const QString exe = t.FilePath("exe");
    const QString config = t.FilePath("config");
    const QString configHome = t.FilePath("config/qdv70");
    struct Case {
        const char* what;
        HomeFolderCandidates in;
        QString expected;
    };
    const Case cases[] = {
        {"option wins", {t.FilePath("opt"), t.FilePath("env"), exe, config}, t.FilePath("opt")},
        {"environment next", {"", t.FilePath("env"), exe, config}, t.FilePath("env")},
        {"writable executable folder", {"", "", exe, config}, exe},
        {"executable folder missing", {"", "", t.FilePath("none"), config}, configHome},
        {"executable folder unknown", {"", "", "", config}, configHome},
        {"executable folder is a file", {"", "", t.FilePath("exe/qdv70"), config}, configHome},
        {"installed program, also run by root", {"", "", "/usr/bin", config}, configHome},
        {"installed below /usr/local", {"", "", "/usr/local/bin/", config}, configHome},
        {"paths are cleaned", {t.FilePath("a/../opt/"), "", exe, config}, t.FilePath("opt")},
        {"relative option is made absolute",
         {"rel/dir", "", exe, config},
         QDir::current().absoluteFilePath("rel/dir")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChooseHomeFolder(c.in), c.expected) << c.what;
}

// The environment is read, and the folder chosen is made.
TEST(HomeFolder, resolvedFolderIsCreated) {
    test::TestFolder t;
    const QByteArray saved = qgetenv("QDV70_HOME");
    const bool had = qEnvironmentVariableIsSet("QDV70_HOME");
    const QString fromEnvironment = t.FilePath("environment/home");
    qputenv("QDV70_HOME", fromEnvironment.toLocal8Bit());
    const QString resolved = ResolveHomeFolder(QString());
    if (had)
        qputenv("QDV70_HOME", saved);
    else
        qunsetenv("QDV70_HOME");
    EXPECT_EQ(resolved, fromEnvironment);
    EXPECT_TRUE(QFileInfo(fromEnvironment).isDir());
}

// One program of a name at a time, wherever it lies: a copy of another name runs beside it, and the lock
// ends with its holder or when the holder takes another name.
TEST(SingleInstance, oneProgramOfANameAtATime) {
    test::TestFolder locks;
    {
        SingleInstance first(locks.Path());
        ASSERT_TRUE(first.TryAcquire("/usr/bin/qdv70"));
        SingleInstance again(locks.Path());
        EXPECT_FALSE(again.TryAcquire("/opt/other/qdv70"));
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
