#include "app/HomeFolder.h"
#include "support/TestFolder.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

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

TEST(HomeFolder, resolvedFolderIsCreated) {
    test::TestFolder t;
    const QString fromOption = t.FilePath("option/home");
    EXPECT_EQ(ResolveHomeFolder(fromOption), fromOption);
    EXPECT_TRUE(QFileInfo(fromOption).isDir());

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

} // namespace
} // namespace qdv
