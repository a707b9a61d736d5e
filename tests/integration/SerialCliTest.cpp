#include "EndToEnd.h"
#include "support/TestFolder.h"

#include <QFile>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace qdv::test {
namespace {

TEST(CliOverSerialLine, portsThatCannotBeOpenedEndWith300AndTheReason) {
    EndToEnd e({}, EndToEnd::Carrier::Serial);
    auto holder = std::make_unique<LineHolder>(e.SerialLink());
    const CliRun busy = e.Cli({"receive", "description"});
    holder.reset();
    EXPECT_EQ(busy.exitCode, 1);
    EXPECT_TRUE(busy.err.contains("The communication port was not opened.")) << busy.err.toStdString();
    EXPECT_TRUE(busy.err.contains("ZEBU_NME.DAU: failed after 0 bytes: ")) << busy.err.toStdString();
    EXPECT_TRUE(busy.err.contains("Device or resource busy")) << busy.err.toStdString();
    EXPECT_FALSE(busy.err.contains("dialout"));

    WriteSerialHome(e.pc.FilePath("home"), e.pc.FilePath("backup"), e.pc.FilePath("ttyGone"));
    const CliRun missing = e.Cli({"receive", "description"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains("The communication port was not opened.")) << missing.err.toStdString();
    EXPECT_TRUE(missing.err.contains("No such file or directory")) << missing.err.toStdString();
}

TEST(CliOverSerialLine, aPortWithoutPermissionPointsToTheDeviceGroup) {
    EndToEnd e({}, EndToEnd::Carrier::Serial);
    const QString locked = e.pc.FilePath("ttyLocked");
    e.pc.Write("ttyLocked", "");
    WriteSerialHome(e.pc.FilePath("home"), e.pc.FilePath("backup"), locked);
    // Root may open anything; the tool then runs as an unprivileged user, who must be able to reach
    // the home and backup folders.
    QStringList wrapper;
    if (::geteuid() == 0) {
        if (QStandardPaths::findExecutable("setpriv").isEmpty())
            GTEST_SKIP() << "running as root without setpriv: no user to lack the permission";
        wrapper = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
        for (const QString& dir : {e.pc.Path(), e.pc.FilePath("home"), e.pc.FilePath("backup")}) {
            QDir().mkpath(dir);
            ::chmod(QFile::encodeName(dir).constData(), 0777);
        }
        for (const char* f : {"home/QDV70LIST.INI", "home/QDV70COMM.INI"})
            ::chmod(QFile::encodeName(e.pc.FilePath(f)).constData(), 0644);
        ::chmod(QFile::encodeName(locked).constData(), 0600);
        // The build may lie in a folder the unprivileged user cannot enter (a checkout under /root).
        if (e.Cli({"help"}, wrapper).exitCode != 0)
            GTEST_SKIP() << "the unprivileged user cannot run qdv70cli from this build folder";
    } else {
        ::chmod(QFile::encodeName(locked).constData(), 0);
    }
    const CliRun r = e.Cli({"receive", "description"}, wrapper);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("The communication port was not opened.")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("usermod -aG")) << r.err.toStdString();
}

} // namespace
} // namespace qdv::test
