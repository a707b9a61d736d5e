#include "EndToEnd.h"

#include "convert/CrosspointTable.h"
#include "convert/DescriptionTable.h"
#include "history/GitHandle.h"
#include "store/DataImage.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace qdv::test {
namespace {

const QStringList kPrimary = {"ZEBU_STD.DAU", "ZEBU_TLN.DAU", "ZEBU_GPH.DAU", "ZEBU_LVG.DAU",
                              "ZEBU_INH.DAU", "ZEBU_SGP.DAU", "ZEBU_422.DAU", "ZEBU_IDX.DAU"};

QJsonValue Json(const CliRun& r) {
    const QJsonDocument d = QJsonDocument::fromJson(r.out.toUtf8());
    return d.isArray() ? QJsonValue(d.array()) : QJsonValue(d.object());
}

git_repository* OpenGit(const QString& path) {
    history::EnsureGitLibrary();
    git_repository* repo = nullptr;
    git_repository_open(&repo, QFile::encodeName(path).constData());
    return repo;
}

TEST(HistoryAgainstSimulator, twoReceivesWithAChangeGiveSnapshotsAndMeaningDiff) {
    EndToEnd e;
    ASSERT_EQ(e.Cli({"receive", "description"}).exitCode, 0);
    ASSERT_EQ(e.Cli({"receive", "crosspoint"}).exitCode, 0);

    // On the device: source 12 gets a new description, destination 5 level 2 a new source.
    QByteArray nme = image::Decode(e.Device("Name/ZEBU_NME.DAU"), DescriptionTable::kNmeImageSize);
    DescriptionTable before;
    before.LoadDau(e.Device("Name/ZEBU_NME.DAU"));
    nme.replace(16 * 11, 16, QByteArray("CAM 1B").leftJustified(16, '\0'));
    e.device.Write("Name/ZEBU_NME.DAU", image::Encode(nme));
    CrosspointTable xpt;
    xpt.LoadDau(e.Device("XPoint/ZEBU_XPT.DAU"));
    const int oldSource = xpt.Source(2, 5);
    const int newSource = oldSource == 7 ? 8 : 7;
    xpt.SetSource(2, 5, static_cast<std::uint16_t>(newSource));
    e.device.Write("XPoint/ZEBU_XPT.DAU", xpt.SaveDau());

    ASSERT_EQ(e.Cli({"receive", "description"}).exitCode, 0);
    ASSERT_EQ(e.Cli({"receive", "crosspoint"}).exitCode, 0);
    ASSERT_EQ(e.Cli({"receive", "crosspoint"}).exitCode, 0); // the same bytes again: no snapshot

    const CliRun history = e.Cli({"history"});
    ASSERT_EQ(history.exitCode, 0) << history.err.toStdString();
    const QStringList lines = history.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4) << history.out.toStdString();
    EXPECT_TRUE(
        lines[0].contains(QRegularExpression("^[0-9a-f]{7,}  \\d{4}-\\d\\d-\\d\\d .*Receive Crosspoint  "
                                             "XPoint/ZEBU_XPT.DAU$")))
        << lines[0].toStdString();
    EXPECT_TRUE(lines[1].contains("Receive Description  Name/ZEBU_NME.DAU")) << lines[1].toStdString();

    const CliRun diff = e.Cli({"diff", "HEAD~2", "HEAD"});
    ASSERT_EQ(diff.exitCode, 0) << diff.err.toStdString();
    const QString oldText = QString::fromLatin1(before.At(Side::Source, 12).Text());
    EXPECT_TRUE(
        diff.out.contains(QStringLiteral("  source 12 description: \"%1\" -> \"CAM 1B\"\n").arg(oldText)))
        << diff.out.toStdString();
    EXPECT_TRUE(diff.out.contains(QRegularExpression(
        QStringLiteral("  destination 5 level 2: source %1( \\(.*\\))? -> source %2( \\(.*\\))?\n")
            .arg(oldSource)
            .arg(newSource))))
        << diff.out.toStdString();
    EXPECT_EQ(diff.out.count('\n'), 4) << diff.out.toStdString(); // two file headings, two changes

    // The default compares the last two snapshots: only the route.
    const QJsonArray changes = Json(e.Cli({"diff", "--json"})).toObject()["changes"].toArray();
    ASSERT_EQ(changes.size(), 1);
    EXPECT_EQ(changes[0]["kind"], "route");
    EXPECT_EQ(changes[0]["destination"], 5);
    EXPECT_EQ(changes[0]["newSource"], newSource);
    EXPECT_TRUE(e.Cli({"diff", "HEAD", "working"}).out.isEmpty());
}

TEST(HistoryAgainstSimulator, failedFileIsNamedAndNotCommitted) {
    EndToEnd e({"unexpected-pn"});
    EXPECT_EQ(e.Cli({"receive", "primary"}).exitCode, 1);
    const QJsonArray log = Json(e.Cli({"history", "--json"})).toArray();
    ASSERT_EQ(log.size(), 1);
    EXPECT_EQ(log[0]["failedFiles"].toArray(), QJsonArray{"ZEBU_STD.DAU"});
    const QJsonArray changed = log[0]["changedFiles"].toArray();
    EXPECT_EQ(changed.size(), 7);
    EXPECT_FALSE(changed.contains("Primary/ZEBU_STD.DAU"));
}

TEST(HistoryAgainstSimulator, verifyFindsChangesAndRestoreBringsBackTheFirstSnapshot) {
    EndToEnd e;
    ASSERT_EQ(e.Cli({"receive", "primary"}).exitCode, 0);
    QHash<QString, QByteArray> first;
    for (const QString& f : kPrimary)
        first[f] = e.Pc("Primary/" + f);
    QByteArray std = e.Device("Primary/ZEBU_STD.DAU");
    std[0] = std[0] == '1' ? '2' : '1';
    e.device.Write("Primary/ZEBU_STD.DAU", std);
    ASSERT_EQ(e.Cli({"receive", "primary"}).exitCode, 0);
    EXPECT_EQ(e.Cli({"verify"}).exitCode, 0);

    // Behind the program's back: one byte of a file, and a file cut short.
    QByteArray gph = e.Pc("Primary/ZEBU_GPH.DAU");
    gph[5] = gph[5] == '0' ? '1' : '0';
    e.pc.Write("backup/Primary/ZEBU_GPH.DAU", gph);
    e.pc.Write("backup/Primary/ZEBU_TLN.DAU", "00\r\n");
    const CliRun verify = e.Cli({"verify"});
    EXPECT_EQ(verify.exitCode, 1);
    EXPECT_TRUE(verify.out.contains("Primary/ZEBU_GPH.DAU: changed outside the program\n"))
        << verify.out.toStdString();
    EXPECT_TRUE(verify.out.contains("Primary/ZEBU_TLN.DAU: wrong size 4 (expected 1032)\n"))
        << verify.out.toStdString();

    const QString firstId = Json(e.Cli({"history", "--json"})).toArray().last().toObject()["id"].toString();
    const CliRun restore = e.Cli({"restore", firstId.left(8)});
    ASSERT_EQ(restore.exitCode, 0) << restore.err.toStdString();
    for (const QString& f : kPrimary)
        EXPECT_EQ(e.Pc("Primary/" + f), first[f]) << f.toStdString();
    const QJsonArray log = Json(e.Cli({"history", "--json"})).toArray();
    ASSERT_EQ(log.size(), 4); // two receives, the folder before the restore, the restore
    EXPECT_TRUE(log[0]["job"].toString().startsWith("Restore " + firstId.left(7)));
    EXPECT_EQ(e.Cli({"verify"}).exitCode, 0);
    EXPECT_EQ(e.Cli({"restore", "nonsense"}).exitCode, 1);
}

TEST(HistoryAgainstSimulator, snapshotIsPushedToTheRemote) {
    EndToEnd e;
    const QString bare = e.pc.FilePath("remote.git");
    git_repository* created = nullptr;
    history::EnsureGitLibrary();
    ASSERT_EQ(git_repository_init(&created, QFile::encodeName(bare).constData(), 1), 0);
    git_repository_free(created);
    e.pc.Write("home/QDV70COMM.INI",
               QStringLiteral("[UDP]\nBROADCAST=127.255.255.255\n[HISTORY]\nREMOTE=%1\n").arg(bare).toUtf8());
    const CliRun r = e.Cli({"receive", "description"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    // Only the job's log: no notice or push error of the history.
    EXPECT_FALSE(r.err.contains("qdv70cli:")) << r.err.toStdString();

    const QString id = Json(e.Cli({"history", "--json"})).toArray()[0].toObject()["id"].toString();
    git_repository* remote = OpenGit(bare);
    ASSERT_NE(remote, nullptr);
    git_oid oid{};
    ASSERT_EQ(git_reference_name_to_id(&oid, remote, "refs/heads/Sim"), 0);
    char hex[GIT_OID_HEXSZ + 1] = {};
    git_oid_tostr(hex, sizeof hex, &oid);
    EXPECT_EQ(QString::fromLatin1(hex), id);
    git_repository_free(remote);
}

TEST(HistoryAgainstSimulator, foreignGitIsLeftAlone) {
    EndToEnd e;
    git_repository* foreign = nullptr;
    history::EnsureGitLibrary();
    ASSERT_EQ(git_repository_init(&foreign, QFile::encodeName(e.pc.FilePath("backup")).constData(), 0), 0);
    git_repository_free(foreign);
    const QByteArray config = e.pc.Read("backup/.git/config");

    const CliRun r = e.Cli({"receive", "description"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.err.contains("left alone")) << r.err.toStdString();
    EXPECT_EQ(e.pc.Read("backup/.git/config"), config);
    EXPECT_FALSE(e.pc.Exists("backup/.git/index"));
    git_repository* repo = OpenGit(e.pc.FilePath("backup"));
    ASSERT_NE(repo, nullptr);
    EXPECT_EQ(git_repository_head_unborn(repo), 1);
    git_repository_free(repo);
    EXPECT_EQ(e.Cli({"history"}).exitCode, 1);
}

} // namespace
} // namespace qdv::test
