#include "store/StationList.h"
#include "store/DataImage.h"
#include "store/TmFile.h"
#include "support/TestFolder.h"

#include <gtest/gtest.h>

namespace qdv {
namespace {

struct Home {
    test::TestFolder dir;
    SetupRecord setup;
    explicit Home(const QByteArray& deviceInfo = {}) {
        if (!deviceInfo.isNull())
            dir.Write("Device/DeviceInfo.txt", deviceInfo);
        setup.backupDataPath = dir.FilePath("backup");
    }
    TmFile Files() const { return TmFile(dir.Path()); }
};

QByteArray LineOf(const QByteArray& text, int id) {
    return text.split('\n').value(id - StationList::kFirst);
}

// A list that is not there fails to load and leaves the list as it was; a written one loads back, one
// with Linux line ends too; clearing the list removes its file.
TEST(StationList, writesTheWorkedLineLoadsItBackAndClears) {
    Home home;
    const TmFile files = home.Files();
    StationList back;
    back.At(3).checked = true;
    EXPECT_FALSE(files.LoadStationList(home.setup, back));
    EXPECT_TRUE(back.At(3).checked);
    StationList list;
    list.At(12) = {true, false, 0x2a, "CAM-12", "127.0.0.12"};
    ASSERT_TRUE(files.SaveStationList(home.setup, list));
    const QByteArray text = home.dir.Read("backup/ZEBU_SEC_LIST.dat");
    EXPECT_EQ(text.count('\n'), 253);
    EXPECT_EQ(LineOf(text, 2), "2,0,0,0x00,,,\r");
    EXPECT_EQ(LineOf(text, 12), "12,1,0,0x2a,CAM-12,127.0.0.12,\r");
    EXPECT_TRUE(text.endsWith("254,0,0,0x00,,,\r\n"));
    ASSERT_TRUE(files.LoadStationList(home.setup, back));
    EXPECT_EQ(back, list);

    home.dir.Write("backup/ZEBU_SEC_LIST.dat", "3,1,0,0x00,,,\n4,1,0,0x00,,,\n");
    StationList lfOnly;
    ASSERT_TRUE(files.LoadStationList(home.setup, lfOnly));
    EXPECT_EQ(lfOnly.CheckedCount(), 2);
    files.ClearStationList(home.setup, lfOnly);
    EXPECT_EQ(lfOnly.CheckedCount(), 0);
    EXPECT_FALSE(home.dir.Exists("backup/ZEBU_SEC_LIST.dat"));
}

TEST(StationList, readingLinesFieldByField) {
    Home home("7,Router,y\r\n");
    const TmFile files = home.Files();
    const struct {
        const char* line;
        int id;
        StationList::Entry want;
    } cases[] = {
        {"1,1,0,0x01,ONE,127.0.0.1,", 1, {}},
        {"255,1,0,0x01,ALL,127.0.0.255,", 255, {}},
        {"x5,1,0,0x01,BAD,,", 5, {}},
        {"9, 1 ,1,0x07,,127.0.0.9,", 9, {true, true, 7, "Router", "127.0.0.9"}},
        {"17,1,0,0x07, Studio A ,127.0.0.17,", 17, {true, false, 7, "Studio A", "127.0.0.17"}},
        {"10,1,0,0x08,,,", 10, {true, false, 8, "Unknow_8", ""}},
        {"11,0,0,200,,,", 11, {false, false, 200, "Unknow_200", ""}},
        {"13,1,0,0x01,ABCDEFGHIJKLMNOPQRSTU,127.0.0.13,", 13, {true, false, 1, "", ""}},
        {"14,1,0,0x01,N14,127.100.100.10000,", 14, {true, false, 1, "N14", ""}},
        {"15,1,0,0x01,N15,127.0.0.15", 15, {true, false, 1, "N15", "127.0.0.15"}},
        {"16,1", 16, {true, false, 0, "", ""}},
    };
    for (const auto& c : cases) {
        home.dir.Write("backup/ZEBU_SEC_LIST.dat", QByteArray(c.line) + "\r\n");
        StationList list;
        list.At(c.id).name = "stale";
        ASSERT_TRUE(files.LoadStationList(home.setup, list)) << c.line;
        EXPECT_EQ(list.At(c.id), c.want) << c.line;
    }
}

TEST(DeviceInfoTable, linesOfTheFile) {
    Home home("7,Router,y\r\n0,Zero,y\r\n256,Big,y\r\n9,,n\r\n12,ABCDEFGHIJKLMNOPQRSTUVWXYZ,yes\n");
    const TmFile files = home.Files();
    const DeviceInfoTable& info = files.DeviceInfo();
    EXPECT_EQ(info.Name(7), "Router");
    EXPECT_TRUE(info.Bitmap(7));
    EXPECT_EQ(info.Name(0), "");
    EXPECT_EQ(info.Name(256), "");
    EXPECT_EQ(info.Name(9), "Unknown");
    EXPECT_FALSE(info.Bitmap(9));
    EXPECT_EQ(info.Name(12), "ABCDEFGHIJKLMNOPQRST");
    EXPECT_TRUE(info.Bitmap(12));
    EXPECT_EQ(info.StationName(8), "Unknow_8");
    Home none;
    EXPECT_EQ(none.Files().DeviceInfo().Name(7), "");
}

TEST(StationReaders, bitmapAtEitherPlaceAndDeviceList) {
    Home home("5,Wide,y\r\n");
    const TmFile files = home.Files();
    QByteArray img(8192, '\0');
    img[5408] = char(0x60);     // stations 2 and 3
    img[7942 + 1] = char(0x80); // station 9
    img[5568 + 4] = 1;          // station 5
    const QString path = home.dir.FilePath("ZEBU_STD.DAU");
    home.dir.Write("ZEBU_STD.DAU", image::Encode(img));
    TmFile::StationFlags flags{};
    ASSERT_TRUE(files.ReadStationsFromBitmap(path, &flags));
    EXPECT_TRUE(flags[1] && flags[2] && !flags[8]);
    img[8191] = 5; // the primary's own type keeps its bitmap at the second place
    home.dir.Write("ZEBU_STD.DAU", image::Encode(img));
    ASSERT_TRUE(files.ReadStationsFromBitmap(path, &flags));
    EXPECT_TRUE(!flags[1] && flags[8]);
    ASSERT_TRUE(TmFile::ReadStationsFromList(path, &flags));
    EXPECT_TRUE(flags[4]);
    EXPECT_EQ(std::count(flags.begin(), flags.end(), true), 1);
    EXPECT_FALSE(TmFile::ReadStationsFromList(home.dir.FilePath("none.DAU"), &flags));
}

} // namespace
} // namespace qdv
