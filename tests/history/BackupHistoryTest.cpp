#include "history/BackupHistory.h"
#include "convert/AliasTables.h"
#include "convert/CrosspointTable.h"
#include "convert/DescriptionTable.h"
#include "history/DeferredSnapshot.h"
#include "history/FolderVerifier.h"
#include "history/GitHandle.h"
#include "history/HistoryRepository.h"
#include "history/MeaningDiff.h"
#include "store/DataImage.h"
#include "support/HangingRemote.h"
#include "support/TestFolder.h"

#include <chrono>
#include <cstring>
#include <git2.h>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>

namespace qdv::history {
namespace {

using Outcome = SnapshotResult::Outcome;
using test::HangingRemote;
using test::TestFolder;

const QByteArray kStd = QByteArray(256, 'A') + "\r\n" + QByteArray(256, '0') + "\r\n";

std::vector<SnapshotInfo> LogOf(const QString& folder) {
    HistoryRepository::OpenState state{};
    QString error;
    auto repo = HistoryRepository::Open(folder, false, &state, &error);
    std::vector<SnapshotInfo> log;
    if (repo) {
        EXPECT_TRUE(repo->Log(0, &log, &error)) << error.toStdString();
    }
    return log;
}

// A repository that libgit2 makes the usual way, as a user or another tool would, on branch `head`.
void InitPlainRepository(const QString& path, bool bare, const char* head = nullptr) {
    EnsureGitLibrary();
    git_repository_init_options options;
    git_repository_init_options_init(&options, GIT_REPOSITORY_INIT_OPTIONS_VERSION);
    options.flags = bare ? GIT_REPOSITORY_INIT_MKPATH | GIT_REPOSITORY_INIT_BARE : GIT_REPOSITORY_INIT_MKPATH;
    options.initial_head = head;
    git_repository* repo = nullptr;
    ASSERT_EQ(git_repository_init_ext(&repo, QFile::encodeName(path).constData(), &options), 0);
    git_repository_free(repo);
}

TEST(BackupHistory, commitsOnlyChangesAndKeepsWorkingFilesOut) {
    TestFolder d;
    // A missing folder has no history; an empty one nothing to commit (the log below holds two snapshots).
    EXPECT_EQ(BackupHistory::Snapshot(d.Path() + "/none", "S", "Receive", {}, {}).outcome, Outcome::Off);
    EXPECT_EQ(BackupHistory::Snapshot(d.Path(), "S", "Receive", {}, {}).outcome, Outcome::Unchanged);
    d.Write("Primary/ZEBU_STD.DAU", kStd);
    d.Write("Primary/ZEBU_STD.BAK", "half");
    d.Write("XPoint/ZEBU_XPT.MKE", "list");
    d.Write("Name/ZEBU_NME.DAU.a1B2c3", "temporary");
    d.Write(".qdv70.lock", "qdv70cli\n12\nreceiving Primary\n"); // the folder's lock file

    const SnapshotResult first =
        BackupHistory::Snapshot(d.Path(), "Plant A", "Receive Primary", {"ZEBU_GPH.DAU"}, {});
    ASSERT_EQ(first.outcome, Outcome::Committed) << first.notice.toStdString();

    d.Write("Name/ZEBU_NME.DAU", "names\r\n");
    QFile::remove(d.FilePath("Primary/ZEBU_STD.DAU"));
    ASSERT_EQ(BackupHistory::Snapshot(d.Path(), "Plant A", "Import descriptions", {}, {}).outcome,
              Outcome::Committed);

    const auto log = LogOf(d.Path());
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].job, "Import descriptions");
    EXPECT_EQ(log[0].changedFiles, QStringList({"Name/ZEBU_NME.DAU", "Primary/ZEBU_STD.DAU"}));
    EXPECT_EQ(log[1].id, first.commitId);
    EXPECT_EQ(log[1].setup, "Plant A");
    EXPECT_EQ(log[1].failedFiles, QStringList({"ZEBU_GPH.DAU"}));
    EXPECT_EQ(log[1].changedFiles, QStringList({"Primary/ZEBU_STD.DAU"}));
}

// A .git below the top of the folder (once written by a station's listing) cannot be staged; the
// snapshot says which entry it is instead of failing with git's "invalid path".
TEST(BackupHistory, aNestedGitEntryIsNamed) {
    TestFolder d;
    d.Write("Primary/ZEBU_STD.DAU", kStd);
    d.Write("ZEBU_005/.git", "gitdir: elsewhere");
    const SnapshotResult r = BackupHistory::Snapshot(d.Path(), "Plant A", "Receive Secondary", {}, {});
    EXPECT_FALSE(r.Ok());
    EXPECT_TRUE(
        r.notice.contains("a .git inside the backup folder cannot be kept (remove it): ZEBU_005/.git"))
        << r.notice.toStdString();
}

// Locks left by a run that ended while writing the history: an old one is removed and said, so that the
// history goes on; a fresh one may belong to a snapshot running now and is left, the snapshot failing.
TEST(BackupHistory, staleLocksAreRemovedFreshOnesRespected) {
    TestFolder d;
    d.Write("Primary/ZEBU_STD.DAU", kStd);
    ASSERT_EQ(BackupHistory::Snapshot(d.Path(), "S", "Receive Primary", {}, {}).outcome, Outcome::Committed);
    const QDateTime old = QDateTime::currentDateTime().addSecs(-3600);
    for (const QString& lock : {QString(".git/index.lock"), QString(".git/refs/heads/history.lock")}) {
        d.Write(lock, "");
        QFile f(d.FilePath(lock));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(old, QFileDevice::FileModificationTime));
    }
    d.Write("Primary/ZEBU_STD.DAU", kStd + "1");
    const SnapshotResult cleaned = BackupHistory::Snapshot(d.Path(), "S", "Receive Primary", {}, {});
    EXPECT_EQ(cleaned.outcome, Outcome::Committed);
    EXPECT_TRUE(cleaned.notice.contains("index.lock, refs/heads/history.lock"))
        << cleaned.notice.toStdString();
    EXPECT_FALSE(QFile::exists(d.FilePath(".git/index.lock")));
    EXPECT_EQ(LogOf(d.Path()).size(), 2u);

    d.Write(".git/index.lock", "");
    d.Write("Primary/ZEBU_STD.DAU", kStd + "2");
    const SnapshotResult held = BackupHistory::Snapshot(d.Path(), "S", "Receive Primary", {}, {});
    EXPECT_EQ(held.outcome, Outcome::Failed);
    EXPECT_TRUE(QFile::exists(d.FilePath(".git/index.lock")));
    EXPECT_EQ(LogOf(d.Path()).size(), 2u);
}

// A history that another user owns cannot be opened; it is said for what it is, every time, and not
// taken for a .git of another program. Needs root to hand the folder to another user.
TEST(BackupHistory, aHistoryOwnedByAnotherUserIsSaidToBeSo) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can give the folder to another user";
    TestFolder d;
    d.Write("Primary/ZEBU_STD.DAU", kStd);
    ASSERT_EQ(BackupHistory::Snapshot(d.Path(), "S", "Receive Primary", {}, {}).outcome, Outcome::Committed);
    QDirIterator it(d.FilePath(".git"), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    ASSERT_EQ(::chown(QFile::encodeName(d.FilePath(".git")).constData(), 65534, 65534), 0);
    while (it.hasNext())
        ASSERT_EQ(::lchown(QFile::encodeName(it.next()).constData(), 65534, 65534), 0);
    ASSERT_EQ(::chown(QFile::encodeName(d.Path()).constData(), 65534, 65534), 0);
    d.Write("Primary/ZEBU_STD.DAU", kStd + "1");
    for (int i = 0; i < 2; ++i) {
        const SnapshotResult r = BackupHistory::Snapshot(d.Path(), "S", "Receive Primary", {}, {});
        EXPECT_EQ(r.outcome, Outcome::Failed);
        EXPECT_TRUE(r.notice.contains("belongs to another user")) << r.notice.toStdString();
    }

    // Only the folder another user's, no history yet: none is made (a half-made .git would later pass
    // for a foreign one), and once the folder is ours again the history begins.
    TestFolder fresh;
    fresh.Write("Primary/ZEBU_STD.DAU", kStd);
    ASSERT_EQ(::chown(QFile::encodeName(fresh.Path()).constData(), 65534, 65534), 0);
    const SnapshotResult refused = BackupHistory::Snapshot(fresh.Path(), "S", "Receive Primary", {}, {});
    EXPECT_EQ(refused.outcome, Outcome::Failed);
    EXPECT_TRUE(refused.notice.contains("belongs to another user")) << refused.notice.toStdString();
    EXPECT_FALSE(QFileInfo::exists(fresh.FilePath(".git")));
    ASSERT_EQ(::chown(QFile::encodeName(fresh.Path()).constData(), 0, 0), 0);
    EXPECT_EQ(BackupHistory::Snapshot(fresh.Path(), "S", "Receive Primary", {}, {}).outcome,
              Outcome::Committed);
}

// A push that waits on a remote that never answers holds up no other snapshot: another folder's
// snapshot commits at once and leaves its push owed; the waiting push fails when the remote closes.
TEST(BackupHistory, aHangingPushDoesNotHoldUpOtherSnapshots) {
    TestFolder a;
    TestFolder b;
    a.Write("Primary/ZEBU_STD.DAU", kStd);
    b.Write("Primary/ZEBU_STD.DAU", kStd);
    HangingRemote remote;
    HistoryOptions options;
    options.remote = remote.Url();
    SnapshotResult first;
    std::thread pushing(
        [&] { first = BackupHistory::Snapshot(a.Path(), "A", "Receive Primary", {}, options); });
    for (int i = 0; i < 1000 && !remote.Taken(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(remote.Taken());

    const SnapshotResult second = BackupHistory::Snapshot(b.Path(), "B", "Receive Primary", {}, options);
    EXPECT_FALSE(remote.Closed()) << "the second snapshot waited for the first one's push";
    EXPECT_EQ(second.outcome, Outcome::Committed);
    EXPECT_TRUE(second.pushError.isEmpty());
    remote.Release();
    pushing.join();
    EXPECT_EQ(first.outcome, Outcome::Committed);
    EXPECT_FALSE(first.pushError.isEmpty());
    for (const QString& folder : {a.Path(), b.Path()}) {
        HistoryRepository::OpenState state{};
        QString error;
        const auto repo = HistoryRepository::Open(folder, false, &state, &error);
        ASSERT_TRUE(repo);
        EXPECT_TRUE(repo->PushPending()) << folder.toStdString();
    }
}

TEST(BackupHistory, foreignRepositoryIsLeftAloneAndSaidOnceAndAFolderInsideItGetsItsOwnHistory) {
    TestFolder d;
    InitPlainRepository(d.Path(), false);
    d.Write("Primary/ZEBU_STD.DAU", kStd);
    const SnapshotResult first = BackupHistory::Snapshot(d.Path(), "S", "Receive Primary", {}, {});
    EXPECT_EQ(first.outcome, Outcome::Off);
    EXPECT_TRUE(first.notice.contains("left alone"));
    const SnapshotResult second = BackupHistory::Snapshot(d.Path(), "S", "Receive Primary", {}, {});
    EXPECT_EQ(second.outcome, Outcome::Off);
    EXPECT_TRUE(second.notice.isEmpty());

    d.Write("backup/Primary/ZEBU_STD.DAU", kStd);
    ASSERT_EQ(BackupHistory::Snapshot(d.FilePath("backup"), "S", "Receive", {}, {}).outcome,
              Outcome::Committed);
    EXPECT_TRUE(d.Exists("backup/.git/HEAD"));
    EXPECT_FALSE(d.Exists(".git/index"));
}

// A .git made by this program whose making was cut off before it was marked (the process was killed)
// is ours: on our branch with nothing in it yet, it is finished instead of being taken for a stranger's.
TEST(BackupHistory, aHistoryWhoseMakingWasCutOffIsFinished) {
    TestFolder d;
    InitPlainRepository(d.Path(), false, "history");
    d.Write("Primary/ZEBU_STD.DAU", kStd);

    const SnapshotResult r = BackupHistory::Snapshot(d.Path(), "S", "Receive Primary", {}, {});
    EXPECT_EQ(r.outcome, Outcome::Committed) << r.notice.toStdString();
    EXPECT_TRUE(HistoryRepository::IsOursAt(d.Path()));
    EXPECT_EQ(LogOf(d.Path()).size(), 1u);
}

TEST(BackupHistory, pushesToBareRemoteAndRetriesAfterFailure) {
    TestFolder d;
    d.Write("plant/Primary/ZEBU_STD.DAU", kStd);
    const HistoryOptions options{d.FilePath("remote.git")};

    // The remote does not exist yet: the snapshot stands, the push is owed.
    const SnapshotResult failed =
        BackupHistory::Snapshot(d.FilePath("plant"), "Plant A/1", "Receive", {}, options);
    EXPECT_EQ(failed.outcome, Outcome::Committed);
    EXPECT_FALSE(failed.pushError.isEmpty());

    InitPlainRepository(d.FilePath("remote.git"), true);
    const SnapshotResult retried =
        BackupHistory::Snapshot(d.FilePath("plant"), "Plant A/1", "Receive", {}, options);
    EXPECT_EQ(retried.outcome, Outcome::Unchanged);
    EXPECT_TRUE(retried.pushError.isEmpty()) << retried.pushError.toStdString();

    EXPECT_EQ(d.Read("remote.git/refs/heads/Plant-A-1").trimmed(), failed.commitId.toLatin1());
}

TEST(BackupHistory, safeBranchNames) {
    const std::pair<const char*, const char*> cases[] = {
        {"Studio 1", "Studio-1"}, {"../x..y", "x.y"}, {"a.lock", "a"}, {"", "setup"},
        {"局", "setup"},          {"-.", "setup"},
    };
    for (const auto& [name, branch] : cases)
        EXPECT_EQ(HistoryRepository::SafeBranchName(QString::fromUtf8(name)), branch) << name;
}

TEST(BackupHistory, restoreOfChosenFilesLeavesTheOthers) {
    TestFolder d;
    d.Write("Primary/ZEBU_STD.DAU", "1\r\n");
    d.Write("Name/ZEBU_NME.DAU", "1\r\n");
    const QString first = BackupHistory::Snapshot(d.Path(), "S", "Receive", {}, {}).commitId;
    d.Write("Primary/ZEBU_STD.DAU", "2\r\n");
    d.Write("Name/ZEBU_NME.DAU", "2\r\n");
    d.Write("ZEBU_002.DAT", "2\r\n");
    BackupHistory::Snapshot(d.Path(), "S", "Receive", {}, {});

    RestoreResult r;
    QString error;
    EXPECT_FALSE(BackupHistory::Restore(d.Path(), "S", first, {"ZEBU_IDX.DAU"}, &r, &error));
    EXPECT_TRUE(error.contains("ZEBU_IDX.DAU"));
    ASSERT_TRUE(BackupHistory::Restore(d.Path(), "S", first.left(9), {"zebu_std.dau"}, &r, &error))
        << error.toStdString();
    EXPECT_EQ(r.written, QStringList({"Primary/ZEBU_STD.DAU"}));
    EXPECT_EQ(d.Read("Primary/ZEBU_STD.DAU"), "1\r\n");
    EXPECT_EQ(d.Read("Name/ZEBU_NME.DAU"), "2\r\n");
    EXPECT_TRUE(d.Exists("ZEBU_002.DAT"));

    // The whole snapshot: files it did not have go (they stay in the history).
    ASSERT_TRUE(BackupHistory::Restore(d.Path(), "S", first, {}, &r, &error));
    EXPECT_EQ(r.removed, QStringList({"ZEBU_002.DAT"}));
    EXPECT_EQ(d.Read("Name/ZEBU_NME.DAU"), "1\r\n");
}

TEST(FolderVerifier, sizesOfTheDataFileSet) {
    const std::tuple<const char*, qint64, bool> cases[] = {
        {"ZEBU_STD.DAU", 33024, true}, {"zebu_std.dau", 33023, false}, {"ZEBU_TLN.DAU", 2064, true},
        {"ZEBU_TLN.DAU", 1033, false}, {"ZEBU_ALS7.DAU", 66048, true}, {"ZEBU_ALS8.DAU", 5, true},
        {"ZEBU_017.DAT", 5222, true},  {"ZEBU_017.DAT", 5221, false},  {"ZEBU_SEC_LIST.dat", 7, true},
        {"ZEBU_IDX.DAU", 8256, true},
    };
    for (const auto& [name, size, accepted] : cases)
        EXPECT_EQ(FolderVerifier::SizeAccepted(name, size), accepted) << name << " " << size;
}

TEST(DeferredSnapshot, requestsInARowShareOneSnapshotPerFolder) {
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    TestFolder a;
    TestFolder b;
    a.Write("Primary/ZEBU_STD.DAU", "1\r\n");
    b.Write("Primary/ZEBU_STD.DAU", "1\r\n");
    int taken = 0;
    {
        DeferredSnapshot deferred(0,
                                  [&](const SnapshotResult& r) { taken += r.outcome == Outcome::Committed; });
        deferred.Request(a.Path(), "A", "Service write-back");
        a.Write("Primary/ZEBU_STD.DAU", "2\r\n");
        deferred.Request(a.Path(), "A", "Service write-back");
        deferred.Request(a.Path(), "A", "Set level names");
        deferred.Request(b.Path(), "B", "Service write-back");
        EXPECT_EQ(deferred.PendingFolders(), 2);
        for (int i = 0; i < 100 && deferred.PendingFolders() > 0; ++i)
            QCoreApplication::processEvents();
        EXPECT_EQ(deferred.PendingFolders(), 0);
        EXPECT_EQ(taken, 2);
        deferred.Request(b.Path(), "B", "Service write-back"); // nothing changed: nothing committed
        b.Write("Primary/ZEBU_STD.DAU", "3\r\n");
        deferred.Request(b.Path(), "B", "Late write-back"); // taken when the object goes
    }
    EXPECT_EQ(taken, 3);
    const auto log = LogOf(a.Path());
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].job, "Service write-back, Set level names");
    EXPECT_EQ(LogOf(b.Path()).size(), 2u);
}

QByteArray NmeText(const TerminalTextTable& table) {
    QByteArray img = table.Image();
    img.resize(DescriptionTable::kNmeImageSize, '\0');
    return image::Encode(img);
}

QStringList Lines(const QString& path, const QByteArray& before, const QByteArray& after,
                  const TerminalNames& oldNames = {}, const TerminalNames& newNames = {}) {
    FileChange change{path, !before.isNull(), !after.isNull(), before, after};
    QStringList lines;
    for (const MeaningChange& c : MeaningDiff::Describe({change}, oldNames, newNames))
        lines << c.text;
    return lines;
}

TEST(MeaningDiff, unchangedFilesGiveNoLines) {
    const QByteArray std = image::Encode(QByteArray(16384, '\x11'));
    for (const char* path :
         {"Primary/ZEBU_STD.DAU", "XPoint/ZEBU_XPT.DAU", "Name/ZEBU_NME.DAU", "Primary/ZEBU_GPH.DAU"})
        EXPECT_TRUE(Lines(path, std, std).isEmpty()) << path;
}

TEST(MeaningDiff, descriptionsAndAliases) {
    DescriptionTable before;
    before.At(Side::Source, 12).SetText("CAM 1");
    DescriptionTable after = before;
    after.At(Side::Source, 12).SetText("CAM 1B");
    after.At(Side::Destination, 1024).SetText("MON \"A\"");
    EXPECT_EQ(Lines("Name/ZEBU_NME.DAU", NmeText(before), NmeText(after)),
              QStringList({R"(source 12 description: "CAM 1" -> "CAM 1B")",
                           R"(destination 1024 description: "" -> "MON \"A\"")"}));

    AliasTables aliases;
    AliasTables changed;
    changed.Table(3).At(Side::Destination, 5).SetText("\xB6\xD2"); // half-width katakana
    EXPECT_EQ(Lines("NAME/zebu_als3.dau", aliases.SaveDau(3), changed.SaveDau(3)),
              QStringList({QString::fromUtf8("destination 5 alias 3: \"\" -> \"ｶﾒ\"")}));

    // The change list of a converted description file is not a description; it is still reported.
    QByteArray listed = NmeText(before);
    listed.replace(image::CharOffsetOfByte(33024), 2, "03");
    EXPECT_EQ(Lines("Name/ZEBU_NME.DAU", NmeText(before), listed),
              QStringList({"Name/ZEBU_NME.DAU other bytes: 1 byte changed in 1 range: 0x8100"}));
}

TEST(MeaningDiff, routesNameTheirSources) {
    CrosspointTable before;
    before.SetSource(2, 5, 3);
    before.SetSource(8, 1024, 9);
    CrosspointTable after = before;
    after.SetSource(2, 5, 7);
    after.SetSource(8, 1024, 0);
    DescriptionTable names;
    names.At(Side::Source, 3).SetText("CAM 3");
    names.At(Side::Source, 7).SetText("VTR 2");
    TerminalNames terminals; // the same on both sides
    terminals.Load({}, NmeText(names));
    EXPECT_EQ(Lines("XPoint/ZEBU_XPT.DAU", before.SaveDau(), after.SaveDau(), terminals, terminals),
              QStringList({"destination 5 level 2: source 3 (CAM 3) -> source 7 (VTR 2)",
                           "destination 1024 level 8: source 9 -> no source"}));
}

TEST(MeaningDiff, standardSettingsInWords) {
    QByteArray before(16384, '\0');
    std::memcpy(before.data() + 8 * 2, "CAM", 3);        // type 3
    std::memcpy(before.data() + 8192 + 8 * 0, "VTR", 3); // type 17
    before[256 + 4 * 11] = '\x20';                       // source 12: type index 2, number 12
    before[256 + 4 * 11 + 1] = '\x12';
    QByteArray after = before;
    std::memcpy(after.data() + 8 * 2, "CCU", 3);
    after[256 + 4 * 11 + 1] = '\x13';                // source 12 becomes number 13
    after[8192 + 2304 + 5 * 4 + 4] = '\x01';         // destination 517: only its fifth byte
    std::memcpy(after.data() + 128 + 8, "AUDIO", 5); // level 2
    after[5376] = 4;                                 // sources from 5
    std::memcpy(after.data() + 5384, "AREA", 4);
    after[5408] = '\x08';  // station 5
    after[8192 + 255] = 1; // level mode
    after[7000] = 7;       // undecoded byte
    EXPECT_EQ(Lines("Primary/ZEBU_STD.DAU", image::Encode(before), image::Encode(after)),
              QStringList({R"(type 3 name: "CAM" -> "CCU")", R"(level 2 name: "" -> "AUDIO")",
                           "level mode: Level8 -> Level16", R"(source 12 label: "CAM 012" -> "CCU 013")",
                           "destination 517 entry: 00 00 00 00 00 -> 00 00 00 00 01",
                           "control area sources: 1-1 -> 5-1", R"(control area name: "" -> "AREA")",
                           "station 5: absent -> present",
                           "Primary/ZEBU_STD.DAU other bytes: 1 byte changed in 1 range: 0x1b58"}));
}

TEST(MeaningDiff, otherFilesByByteRangesAndStationFiles) {
    QByteArray gph(44810, '\0');
    QByteArray gph2 = gph;
    for (int a : {0x10, 0x11, 0x12, 0x400, 0x500, 0x600, 0x700, 0x800})
        gph2[a] = 1;
    EXPECT_EQ(
        Lines("Primary/ZEBU_GPH.DAU", image::Encode(gph), image::Encode(gph2)),
        QStringList({"Primary/ZEBU_GPH.DAU: 8 bytes changed in 6 ranges: 0x0010-0x0012, 0x0400, 0x0500, "
                     "0x0600, ..."}));
    EXPECT_EQ(Lines("ZEBU_005.DAT", QByteArray(), "AB\r\n"),
              QStringList({"station 5 file ZEBU_005.DAT: added (4 bytes)"}));
    EXPECT_EQ(Lines("Primary/ZEBU_TLN.DAU", "00\r\n", QByteArray()),
              QStringList({"Primary/ZEBU_TLN.DAU: removed (4 bytes)"}));
    EXPECT_EQ(Lines("ZEBU_SEC_LIST.dat", "a,b", "a,c"),
              QStringList({"ZEBU_SEC_LIST.dat: 1 byte changed in 1 range: 0x0002"}));
    // A names file of the wrong size is told in bytes too.
    const QByteArray shortNames = image::Encode(QByteArray(100, '\0'));
    QByteArray changedNames = shortNames;
    changedNames[2] = '1';
    EXPECT_EQ(Lines("Name/ZEBU_NME.DAU", shortNames, changedNames),
              QStringList({"Name/ZEBU_NME.DAU: 1 byte changed in 1 range: 0x0001"}));
}

} // namespace
} // namespace qdv::history
