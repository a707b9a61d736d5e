#include "support/TestFolder.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace qdv::test {
namespace {

// The backup units as the build made them pass systemd's own check, for an instance named like a setup.
TEST(SystemdUnits, backupServiceAndTimerPassSystemdAnalyzeVerify) {
    const QString analyze = QStandardPaths::findExecutable(QStringLiteral("systemd-analyze"));
    if (analyze.isEmpty())
        GTEST_SKIP() << "systemd-analyze is not installed";
    TestFolder units;
    for (const char* name :
         {"qdv70-backup@.service", "qdv70-backup@.timer", "qdv70-backup-failed@.service"}) {
        QFile unit(QDir(QStringLiteral(QDV70_SYSTEMD_DIR)).filePath(name));
        ASSERT_TRUE(unit.open(QIODevice::ReadOnly)) << name;
        units.Write(name, unit.readAll());
    }
    const QByteArray service = units.Read("qdv70-backup@.service");
    EXPECT_TRUE(service.contains(" --wait-folder 1800 backup --setup %i --wait-line 1800 $QDV70_METRICS\n"));
    // A failed backup starts the failure unit, which runs the configured hook through the tool.
    EXPECT_TRUE(service.contains("\nOnFailure=qdv70-backup-failed@%i.service\n"));
    EXPECT_TRUE(units.Read("qdv70-backup-failed@.service").contains(" notify-failure --setup %i\n"));
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    // --man=no: the manual page is installed only by cmake --install.
    p.start(analyze, {"verify", "--man=no", units.FilePath("qdv70-backup@Studio-A.service"),
                      units.FilePath("qdv70-backup@Studio-A.timer"),
                      units.FilePath("qdv70-backup-failed@Studio-A.service")});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAll().toStdString();
}

} // namespace
} // namespace qdv::test
