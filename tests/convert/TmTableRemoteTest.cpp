#include "convert/TmTableRemote.h"
#include "ConvertFixture.h"
#include "support/TestFolder.h"

#include <gtest/gtest.h>

namespace qdv {
namespace {

TEST(TmTableRemote, receiveTargetsFollowTheFolderLayout) {
    test::TestFolder dir;
    const SetupRecord s = test::SetupAt(dir.Path());
    TmTableRemote t;
    struct Case {
        int kind, station, code;
        const char* path;
        qint64 size;
    } cases[] = {
        {0, 1, 1, "Primary/ZEBU_STD.DAU", 33024}, {0, 1, 4, "Primary/ZEBU_GPH.DAU", 90322},
        {1, 1, 7, "Name/ZEBU_NME.DAU", 71742},    {4, 9, 7, "Name/ZEBU_NME.DAU", 71742},
        {2, 1, 2, "XPoint/ZEBU_XPT.DAU", 33024},  {3, 42, 8, "ZEBU_042.DAT", 5222},
        {5, 9, 0, "Name/ZEBU_ALS1.DAU", 0},
    };
    for (const auto& c : cases) {
        const FileTarget f = t.ReceiveTarget(s, c.kind, c.station, c.code);
        EXPECT_EQ(f.path, dir.FilePath(QString::fromLatin1(c.path))) << c.path;
        EXPECT_EQ(f.size, c.size) << c.path;
    }
}

TEST(TmTableRemote, foldersAreFoundWithoutRegardToCaseAndCreatedWithTheirOwnSpelling) {
    test::TestFolder dir;
    dir.Write("NAME/zebu_nme.dau", "x");
    const SetupRecord s = test::SetupAt(dir.FilePath("backup"));
    const SetupRecord copied = test::SetupAt(dir.Path());
    TmTableRemote t;
    EXPECT_EQ(t.ReceiveTarget(copied, 1, 1, 7).path, dir.FilePath("NAME/zebu_nme.dau"));
    ASSERT_TRUE(t.EnsureSetupFolders(s));
    for (const char* f : {"backup/Primary", "backup/Name", "backup/XPoint"})
        EXPECT_TRUE(dir.Exists(QString::fromLatin1(f))) << f;
    ASSERT_TRUE(t.EnsureStationFolder(s, 7));
    EXPECT_TRUE(dir.Exists("backup/ZEBU_007"));
}

TEST(TmTableRemote, sendFilesMustHaveTheirExactSize) {
    test::TestFolder dir;
    const SetupRecord s = test::SetupAt(dir.Path());
    TmTableRemote t;
    struct Case {
        const char* file;
        int size;
        int kind, code;
        bool sendable;
    } cases[] = {
        {"Primary/ZEBU_STD.DAU", 33024, 0, 1, true}, {"Primary/ZEBU_STD.DAU", 33023, 0, 1, false},
        {"Primary/ZEBU_TLN.DAU", 2064, 0, 3, true},  {"Primary/ZEBU_TLN.DAU", 1033, 0, 3, false},
        {"Primary/ZEBU_TLN.DAU", 1032, 0, 3, true},  {"Name/ZEBU_NME.DAU", 71742, 1, 7, true},
        {"Name/ZEBU_NME.DAU", 71743, 1, 7, false},   {"ZEBU_005.DAT", 17, 3, 8, true},
    };
    for (const auto& c : cases) {
        dir.Write(QString::fromLatin1(c.file), QByteArray(c.size, '0'));
        const FileTarget f = t.PrepareSendFile(s, c.kind, 5, c.code);
        EXPECT_EQ(f.path, dir.FilePath(QString::fromLatin1(c.file))) << c.file << " " << c.size;
        EXPECT_EQ(f.size, c.sendable ? c.size : 0) << c.file << " " << c.size;
    }
    EXPECT_EQ(t.PrepareSendFile(s, 0, 1, 9).size, 0) << "missing file";
    EXPECT_EQ(t.PrepareSendFile(s, 3, 6, 8).size, 0) << "missing station file";
}

TEST(TmTableRemote, crosspointSendOffersTheCompactListMadeFromTheTable) {
    test::TestFolder dir;
    const SetupRecord s = test::SetupAt(dir.Path());
    TmTableRemote t;
    EXPECT_EQ(t.PrepareSendFile(s, 2, 1, 2).size, 0) << "no crosspoint file";

    QByteArray empty;
    for (int i = 0; i < 128; ++i)
        empty += QByteArray(256, '0') + "\r\n";
    dir.Write("XPoint/ZEBU_XPT.DAU", empty);
    EXPECT_EQ(t.PrepareSendFile(s, 2, 1, 2).size, 0) << "nothing routed";

    QByteArray routed = empty;
    routed.replace(0, 4, "0005");
    dir.Write("XPoint/ZEBU_XPT.DAU", routed);
    const FileTarget f = t.PrepareSendFile(s, 2, 1, 2);
    EXPECT_EQ(f.path, dir.FilePath("XPoint/ZEBU_XPT.MKE"));
    EXPECT_EQ(f.size, 33024);
    EXPECT_EQ(dir.Read("XPoint/ZEBU_XPT.MKE"), "01010005\r\n");
}

TEST(TmTableRemote, dataTypeOfFileName) {
    EXPECT_EQ(TmTableRemote::DataTypeOfFileName("zebu_idx.dau"), 15);
    for (const char* none : {"ZEBU_ALS1.DAU", "NONE.DAU", ""})
        EXPECT_EQ(TmTableRemote::DataTypeOfFileName(none), 0) << none;
}

} // namespace
} // namespace qdv
