#include "EndToEnd.h"
#include "support/SimProcess.h"

#include "sim/SampleDataSet.h"
#include "support/TestFolder.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <unistd.h>

namespace qdv::test {
namespace {

// Setups "Studio-A", "Studio-B" and "Studio-C", each served by a simulator of its own; B's device answers
// the first request of its first job with the wrong type.
struct Plants {
    TestFolder devices[3];
    TestFolder pc;
    std::unique_ptr<SimProcess> sims[3];

    Plants() {
        QString list = QStringLiteral("[SETUP]\nREG=3\n[SELECT LIST]\nSETUP=0\n");
        for (int i = 0; i < 3; ++i) {
            EXPECT_TRUE(WriteSampleDataSet(devices[i].Path(), nullptr));
            sims[i] = std::make_unique<SimProcess>(devices[i].Path(), QStringList(i == 1, "wrong-type"));
            EXPECT_TRUE(sims[i]->Ok());
            const QString name = QStringLiteral("Studio-%1").arg(QChar('A' + i));
            list += QStringLiteral("[SETUP_%1]\nNAME=%2\nDIR=%3\nIP=127.0.0.1\nSELECT_LAN=1\nREOTE3=%4\n"
                                   "SELECT_PRIMARY_BACKUP_FILE=255\n")
                        .arg(i + 1)
                        .arg(name, pc.FilePath(name))
                        .arg(sims[i]->Port());
        }
        pc.Write("home/QDV70LIST.INI", list.toUtf8());
    }
    CliRun Cli(const QStringList& args) const {
        return RunCli(QStringList{"--home", pc.FilePath("home")} + args);
    }
};

// Three plants after one night: A current, B's first job failed on the simulator's fault, C's Primary
// files ten days old; the backup's summary, the status, the metrics and the failure hook tell them apart.
TEST(CliBackup, everySetupIsTriedAndStatusMetricsAndTheHookTellCurrentFailingAndStale) {
    Plants plants;
    // A named setup gets every Receive button it offers, Primary first, one summary line each.
    const CliRun one = plants.Cli({"backup", "--setup", "Studio-C"});
    EXPECT_EQ(one.exitCode, 0) << one.err.toStdString();
    EXPECT_EQ(one.out, "Studio-C\tprimary\tOK\nStudio-C\tdescription\tOK\nStudio-C\tcrosspoint\tOK\n");
    EXPECT_FALSE(QDir(plants.pc.FilePath("Studio-A")).exists());

    const QString metrics = plants.pc.FilePath("qdv70.prom");
    plants.pc.Write("qdv70.prom", "old\n");
    ASSERT_EQ(::link(QFile::encodeName(metrics).constData(),
                     QFile::encodeName(plants.pc.FilePath("before.prom")).constData()),
              0);
    const CliRun backup = plants.Cli({"backup", "--all-setups", "--json", "--metrics", metrics});
    EXPECT_EQ(backup.exitCode, 1) << backup.err.toStdString();
    EXPECT_EQ(backup.Json().toJson(QJsonDocument::Compact),
              R"j([{"error":null,"kind":"primary","missing":[],"ok":true,"setup":"Studio-A"},)j"
              R"j({"error":null,"kind":"description","missing":[],"ok":true,"setup":"Studio-A"},)j"
              R"j({"error":null,"kind":"crosspoint","missing":[],"ok":true,"setup":"Studio-A"},)j"
              R"j({"error":"The following files were not able to be acquired.","kind":"primary",)j"
              R"j("missing":["ZEBU_STD.DAU"],"ok":false,"setup":"Studio-B"},)j"
              R"j({"error":null,"kind":"description","missing":[],"ok":true,"setup":"Studio-B"},)j"
              R"j({"error":null,"kind":"crosspoint","missing":[],"ok":true,"setup":"Studio-B"},)j"
              R"j({"error":null,"kind":"primary","missing":[],"ok":true,"setup":"Studio-C"},)j"
              R"j({"error":null,"kind":"description","missing":[],"ok":true,"setup":"Studio-C"},)j"
              R"j({"error":null,"kind":"crosspoint","missing":[],"ok":true,"setup":"Studio-C"}])j")
        << backup.out.toStdString();
    EXPECT_EQ(plants.pc.Read("Studio-A/Name/ZEBU_NME.DAU"), plants.devices[0].Read("Name/ZEBU_NME.DAU"));
    // The log on stderr says which setup each file belongs to.
    for (const char* line :
         {"Studio-A: receive description\n  ZEBU_NME.DAU: received, ",
          "Studio-B: receive primary\n  ZEBU_STD.DAU: failed after 0 bytes: Error(INDEX.)\n"})
        EXPECT_TRUE(backup.err.contains(line)) << line << "\n" << backup.err.toStdString();
    // The snapshot of B's Primary job (its oldest) names the file it could not store and leaves it out.
    const QJsonArray log = plants.Cli({"--setup", "Studio-B", "history", "--json"}).Json().array();
    ASSERT_EQ(log.size(), 3);
    EXPECT_EQ(log[2]["failedFiles"].toArray(), QJsonArray{"ZEBU_STD.DAU"});
    EXPECT_EQ(log[2]["changedFiles"].toArray().size(), 7);
    EXPECT_FALSE(log[2]["changedFiles"].toArray().contains("Primary/ZEBU_STD.DAU"));
    // Replaced by a rename: a reader holding the old file still sees it whole.
    EXPECT_EQ(plants.pc.Read("before.prom"), "old\n");
    const QByteArray prom = plants.pc.Read("qdv70.prom");
    for (const char* line : {"qdv70_backup_last_run_ok{setup=\"Studio-A\",kind=\"primary\"} 1\n",
                             "qdv70_backup_last_run_ok{setup=\"Studio-B\",kind=\"primary\"} 0\n",
                             "qdv70_backup_verify_clean{setup=\"Studio-A\"} 1\n",
                             "qdv70_history_pushes_owed{setup=\"Studio-C\"} 0\n"})
        EXPECT_TRUE(prom.contains(line)) << line << prom.toStdString();
    const QString promtool = QStandardPaths::findExecutable(QStringLiteral("promtool"));
    if (!promtool.isEmpty()) {
        QProcess check;
        check.setProcessChannelMode(QProcess::MergedChannels);
        check.start(promtool, {"check", "metrics"});
        check.write(prom);
        check.closeWriteChannel();
        ASSERT_TRUE(check.waitForFinished(30000));
        EXPECT_EQ(check.exitCode(), 0) << check.readAll().toStdString();
    }

    const QDateTime tenDaysAgo = QDateTime::currentDateTime().addDays(-10);
    for (const QFileInfo& f : QDir(plants.pc.FilePath("Studio-C/Primary")).entryInfoList(QDir::Files)) {
        QFile file(f.filePath());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly) &&
                    file.setFileTime(tenDaysAgo, QFileDevice::FileModificationTime));
    }

    const CliRun text = plants.Cli({"status", "--all-setups"});
    EXPECT_EQ(text.exitCode, 1);
    const QStringList lines = text.Lines();
    ASSERT_EQ(lines.size(), 3) << text.out.toStdString();
    struct Want {
        const char* verdict;
        const char* reason; // start of the reason; empty: none
    };
    const Want want[] = {{"ok", ""},
                         {"failing", "the last Primary job failed: "},
                         {"stale", "the last good Primary backup is older than 7 days"}};
    const QJsonArray json = plants.Cli({"status", "--all-setups", "--json"}).Json().array();
    ASSERT_EQ(json.size(), 3);
    for (int i = 0; i < 3; ++i) {
        const QStringList fields = lines[i].split('\t');
        const QJsonObject o = json[i].toObject();
        EXPECT_EQ(fields.value(0), QStringLiteral("Studio-%1").arg(QChar('A' + i)));
        EXPECT_EQ(fields.value(1), want[i].verdict) << lines[i].toStdString();
        EXPECT_TRUE(fields.value(2).startsWith("LAN,127.0.0.1:")) << lines[i].toStdString();
        EXPECT_EQ(o["verdict"].toString(), want[i].verdict);
        EXPECT_TRUE(!*want[i].reason || o["reason"].toString().startsWith(want[i].reason))
            << o["reason"].toString().toStdString();
        EXPECT_EQ(o["reason"].isNull(), !*want[i].reason);
        EXPECT_EQ(o["kinds"].toArray().size(), 3);
        EXPECT_FALSE(o["history"]["head"].toString().isEmpty());
    }
    EXPECT_EQ(json[1]["kinds"][0]["result"].toString(), "failed");
    EXPECT_FALSE(json[1]["kinds"][0]["missing"].toArray().isEmpty());
    EXPECT_EQ(json[0]["kinds"][0]["result"].toString(), "ok");
    EXPECT_TRUE(json[0]["verifyClean"].toBool());
    EXPECT_EQ(plants.Cli({"status", "--setup", "Studio-A"}).exitCode, 0);

    // The failure hook: nothing runs without a command; with one, it gets the name and the status.
    EXPECT_EQ(plants.Cli({"notify-failure", "--setup", "Studio-B"}).exitCode, 0);
    plants.pc.Write("hook.sh", "#!/bin/sh\necho \"$1\" > \"$(dirname \"$0\")/hook.name\"\n"
                               "cat > \"$(dirname \"$0\")/hook.json\"\n");
    plants.pc.Write(
        "home/QDV70COMM.INI",
        QStringLiteral("[BACKUP]\nON_FAILURE=sh %1 $1\n").arg(plants.pc.FilePath("hook.sh")).toUtf8());
    const CliRun hook = plants.Cli({"notify-failure", "--setup", "Studio-B"});
    EXPECT_EQ(hook.exitCode, 0) << hook.err.toStdString();
    EXPECT_EQ(plants.pc.Read("hook.name"), "Studio-B\n");
    const QJsonObject summary = QJsonDocument::fromJson(plants.pc.Read("hook.json")).object();
    EXPECT_EQ(summary["setup"].toString(), "Studio-B");
    EXPECT_EQ(summary["verdict"].toString(), "failing");
}

TEST(CliBackup, aBusySerialLineIsWaitedForThenUsedOrFailsClearly) {
    EndToEnd e({}, EndToEnd::Carrier::Serial);
    LineHolder holder(e.SerialLink());

    const CliRun gaveUp = e.Cli({"backup", "--kinds", "primary,description", "--wait-line", "1"});
    EXPECT_EQ(gaveUp.exitCode, 1);
    EXPECT_TRUE(gaveUp.err.contains("is in use by another program (the desktop program or another job); "
                                    "waiting up to 1 s"))
        << gaveUp.err.toStdString();
    EXPECT_EQ(gaveUp.err.count("waiting up to"), 1) << "the second kind does not wait again";
    EXPECT_TRUE(gaveUp.out.contains("Sim\tprimary\tFAILED\tnot run: the serial line"));
    EXPECT_TRUE(gaveUp.out.contains("stayed in use by another program for 1 s"));
    EXPECT_TRUE(e.Pc("Primary/ZEBU_STD.DAU").isEmpty()) << "no job ran";

    // The line comes free while the backup waits: the backup then runs.
    QProcess cli;
    ASSERT_TRUE(e.Start(cli, {"backup", "--kinds", "primary", "--wait-line", "120"}));
    QByteArray err;
    ASSERT_TRUE(ReadErrUntil(cli, &err, "waiting up to 120 s")) << err.toStdString();
    holder.Release();
    ASSERT_TRUE(cli.waitForFinished(60000));
    err += cli.readAllStandardError();
    EXPECT_EQ(cli.exitCode(), 0) << err.toStdString();
    EXPECT_TRUE(err.contains("is free after")) << err.toStdString();
    EXPECT_EQ(e.Pc("Primary/ZEBU_STD.DAU"), e.Device("Primary/ZEBU_STD.DAU"));
}

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
