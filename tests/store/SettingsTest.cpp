#include "store/DataImage.h"
#include "store/IniFile.h"
#include "store/StationList.h"
#include "store/TmFile.h"
#include "store/TmTable.h"
#include "support/TestFolder.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <memory>

namespace qdv {
namespace {

// A file as people and the Windows program leave them: comments, odd spacing and case, quotes, a
// repeated key and a repeated section.
const QByteArray kSample = "; comment=not a key\r\n"
                           "[Setup]\r\n"
                           "Reg = 3 \r\n"
                           "[ SELECT LIST ]\r\n"
                           "  setup=2\r\n"
                           "[setup_1]\r\n"
                           "NAME=  Studio A  \r\n"
                           "name=second\r\n"
                           "DIR=\"/srv/with space\"\r\n"
                           "EMPTY=\r\n"
                           "PADDED=\" padded \"\r\n"
                           "JAPANESE=\x83\x58\x83\x5E\x83\x57\x83\x49\r\n" // CP932
                           "[SETUP_1]\r\n"
                           "OTHER=shadowed\r\n";

TEST(IniFile, looksUpNamesWithoutRegardToCaseAndFirstMatchWins) {
    IniFile ini;
    ini.LoadBytes(kSample);
    struct Case {
        const char* section;
        const char* key;
        QString expected;
    };
    const Case cases[] = {
        {"SETUP", "REG", "3"},
        {"select list", "SETUP", "2"},
        {"SETUP_1", "name", "Studio A"},
        {"SETUP_1", "DIR", "/srv/with space"},
        {"SETUP_1", "EMPTY", ""},
        {"SETUP_1", "PADDED", " padded "},
        {"SETUP_1", "JAPANESE", QStringLiteral("\u30B9\u30BF\u30B8\u30AA")},
        {"SETUP_1", "MISSING", "default"},
        {"SETUP_1", "OTHER", "default"},
        {"SETUP_2", "NAME", "default"},
        {"", "; comment", "default"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ini.ReadString(c.section, c.key, "default"), c.expected) << c.section << "/" << c.key;
    EXPECT_TRUE(ini.HasKey("setup_1", "empty"));
    EXPECT_FALSE(ini.HasSection("SETUP_2"));
}

TEST(IniFile, integersAndBooleansThatDoNotParseGiveTheDefault) {
    struct Case {
        const char* text;
        int expected;
    };
    const Case cases[] = {
        {"12", 12},          {"-3", -3},
        {"+7", 7},           {"", 42},
        {"abc", 42},         {"12abc", 42},
        {"1 2", 42},         {"0x1F", 31},
        {"$10", 16},         {"0xFFFFFFFF", -1},
        {"0x", 42},          {"0x-1", 42},
        {"99999999999", 42}, {"-2147483648", INT_MIN},
    };
    for (const Case& c : cases) {
        IniFile ini;
        ini.LoadBytes(QByteArray("[S]\nK=") + c.text + "\n");
        EXPECT_EQ(ini.ReadInteger("S", "K", 42), c.expected) << c.text;
        // Booleans are integers: any value other than 0 is true, one that does not parse the default.
        EXPECT_EQ(ini.ReadBool("S", "K", false), c.expected != 0 && c.expected != 42) << c.text;
    }
}

TEST(IniFile, writesChangeOnlyTheLinesConcerned) {
    struct Case {
        const char* what;
        QByteArray before;
        QString writes; // "SECTION.KEY=value", separated by ";"
        QByteArray after;
    };
    const Case cases[] = {
        {"new file", "", "SETUP.REG=0", "[SETUP]\nREG=0\n"},
        {"update keeps spelling, spacing and other lines", "; c\n[a]\n  Key = old\nz=1\n", "A.KEY=new",
         "; c\n[a]\n  Key =new\nz=1\n"},
        {"equal value keeps its bytes", "[A]\nK = \"v\"  \nL=\x83\x65\x83\x58\x83\x67\n",
         QStringLiteral("a.k=v;A.L=\u30C6\u30B9\u30C8"), "[A]\nK = \"v\"  \nL=\x83\x65\x83\x58\x83\x67\n"},
        {"a CP932 file gets its changed and new values in CP932", "[A]\nL=\x83\x65\x83\x58\x83\x67\n",
         QStringLiteral("A.L=\u30C6\uFF71/\\;A.M=\u30C6"), "[A]\nL=\x83\x65\xB1/\\\nM=\x83\x65\n"},
        {"a UTF-8 file gets UTF-8", "[A]\nL=\xE3\x83\x86\n", QStringLiteral("A.L=\u00E9"),
         "[A]\nL=\xC3\xA9\n"},
        {"missing key goes after the section's last key", "[A]\r\nx=1\r\n\r\n; about B\r\n[B]\r\ny=2\r\n",
         "A.z=3", "[A]\r\nx=1\r\nz=3\r\n\r\n; about B\r\n[B]\r\ny=2\r\n"},
        {"key into a section without keys", "[A]\n; only a comment\n[B]\n", "A.k=v",
         "[A]\nk=v\n; only a comment\n[B]\n"},
        {"last line without line end", "[A]\nx=1", "A.y=2", "[A]\nx=1\ny=2\n"},
        {"header without line end", "[A]", "A.y=2", "[A]\ny=2\n"},
        {"new section after a blank line, CR LF kept", "[A]\r\nx=1\r\n", "C.k=v",
         "[A]\r\nx=1\r\n\r\n[C]\r\nk=v\r\n"},
        {"new section into an unterminated file", "[A]\nx=1", "C.k=v", "[A]\nx=1\n\n[C]\nk=v\n"},
        {"only the first of repeated sections and keys is written", "[A]\nk=1\nk=2\n[a]\nk=3\n", "A.K=9",
         "[A]\nk=9\nk=2\n[a]\nk=3\n"},
        {"keys before any section belong to none", "k=1\n[A]\n", "A.k=2", "k=1\n[A]\nk=2\n"},
        {"byte order mark kept", "\xEF\xBB\xBF[A]\nk=1\n", "A.k=2", "\xEF\xBB\xBF[A]\nk=2\n"},
    };
    for (const Case& c : cases) {
        IniFile ini;
        ini.LoadBytes(c.before);
        for (const QString& w : c.writes.split(';')) {
            const qsizetype dot = w.indexOf('.');
            const qsizetype eq = w.indexOf('=');
            ini.WriteString(w.left(dot), w.mid(dot + 1, eq - dot - 1), w.mid(eq + 1));
        }
        EXPECT_EQ(ini.ToBytes(), c.after) << c.what;
    }
}

// Written values read back unchanged; line breaks in a value cannot split its entry.
TEST(IniFile, writtenValuesReadBackUnchanged) {
    const QString values[] = {"plain",
                              "",
                              " leading",
                              "trailing ",
                              "\"quoted\"",
                              "'single'",
                              "a\"b",
                              "x=y;z",
                              QStringLiteral("\u65E5\u672C\u8A9E"),
                              QString(300, QLatin1Char('n'))};
    IniFile ini;
    ini.WriteString("S", "Broken", "one\r\n[Evil]\nK=two");
    int n = 0;
    for (const QString& v : values)
        ini.WriteString("S", QStringLiteral("K%1").arg(n++), v);
    IniFile reread;
    reread.LoadBytes(ini.ToBytes());
    EXPECT_EQ(reread.ReadString("S", "Broken", {}), "one  [Evil] K=two");
    EXPECT_FALSE(reread.HasSection("Evil"));
    n = 0;
    for (const QString& v : values)
        EXPECT_EQ(reread.ReadString("S", QStringLiteral("K%1").arg(n++), "?"), v) << v.toStdString();
}

TEST(IniFile, failedSaveOrLoadLeavesNothingBehind) {
    test::TestFolder dir;
    IniFile ini;
    ini.WriteInteger("A", "k", 1);
    QString error;
    EXPECT_FALSE(ini.Save(dir.FilePath("missing/a.ini"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(QDir(dir.Path()).isEmpty());
    EXPECT_FALSE(ini.Load(dir.FilePath("none.ini")));
    EXPECT_TRUE(ini.ToBytes().isEmpty());

    // A character the Windows Japanese code page cannot hold is not written into such a file.
    const QByteArray cp932 = "[A]\r\nNAME=\x83\x65\r\n";
    dir.Write("w.ini", cp932);
    ASSERT_TRUE(ini.Load(dir.FilePath("w.ini")));
    ini.WriteString("A", "NAME", QStringLiteral("Caf\u00E9"));
    EXPECT_FALSE(ini.Save(dir.FilePath("w.ini"), &error));
    EXPECT_TRUE(error.contains("[A] NAME")) << error.toStdString();
    EXPECT_EQ(dir.Read("w.ini"), cp932);
}

const MenuFont kMenuFont{-12, QStringLiteral("Sans Serif")};

// SetupTable is large; tests keep theirs on the heap. A null `ini` loads without a file; the table starts
// with three setups, which a load must not leave behind.
std::unique_ptr<SetupTable> LoadList(const test::TestFolder& home, const QByteArray& ini,
                                     bool* found = nullptr) {
    if (!ini.isNull())
        home.Write("QDV70LIST.INI", ini);
    auto table = std::make_unique<SetupTable>();
    table->count = 3;
    const bool ok = TmFile(home.Path()).LoadSetupList(*table, kMenuFont);
    if (found)
        *found = ok;
    return table;
}

// The Windows program's file loads, and saving it unchanged changes only what loading normalised. The
// saved file holds every value the load took, so it checks the load too, but for the CP932 name: a
// wrong decoding would be written back unchanged.
TEST(SetupList, windowsFileLoadsAndSavesBack) {
    test::TestFolder home;
    const auto t = LoadList(home, test::ReadTestData("store/QDV70LIST_windows.ini"));
    ASSERT_EQ(t->count, 2);
    EXPECT_EQ(t->records[0].name, QStringLiteral("Studio \u30B9\u30BF\u30B8\u30AA"));
    ASSERT_TRUE(TmFile(home.Path()).SaveSetupList(*t));
    // SELECT_LAN=5 becomes 1; the second setup's keys, in lower case, keep their spelling, and its missing
    // keys are added with their defaults; the comments, the unknown key and section, the third setup's
    // section and every CR LF stay.
    EXPECT_EQ(home.Read("QDV70LIST.INI"), test::ReadTestData("store/QDV70LIST_windows_saved.ini"));
}

TEST(SetupList, countAndSelectionAreKeptInsideTheTable) {
    struct Case {
        const char* ini;
        int count;
        int selected;
    };
    const Case cases[] = {
        {nullptr, 0, -1}, // no file
        {"[SETUP]\nREG=0\n[SELECT LIST]\nSETUP=0\n[SETUP_1]\nNAME=a\n", 0, -1},
        {"[SELECT LIST]\nSETUP=0\n[SETUP_1]\nNAME=a\n", 0, -1},
        {"[SETUP]\nREG=-4\n", 0, -1},
        {"[SETUP]\nREG=300\n[SELECT LIST]\nSETUP=254\n", 255, 254},
        {"[SETUP]\nREG=300\n[SELECT LIST]\nSETUP=255\n", 255, 0},
        {"[SETUP]\nREG=2\n", 2, 0},
        {"[SETUP]\nREG=2\n[SELECT LIST]\nSETUP=1\n", 2, 1},
        {"[SETUP]\nREG=2\n[SELECT LIST]\nSETUP=2\n", 2, 0},
        {"[SETUP]\nREG=2\n[SELECT LIST]\nSETUP=-1\n", 2, -1},
        {"[SETUP]\nREG=2\n[SELECT LIST]\nSETUP=-5\n", 2, -1},
        {"[SETUP]\nREG=2\n[SELECT LIST]\nSETUP=x\n", 2, 0},
    };
    for (const Case& c : cases) {
        test::TestFolder home;
        bool found = false;
        const auto t = LoadList(home, c.ini, &found);
        EXPECT_EQ(found, c.ini != nullptr) << c.ini;
        EXPECT_EQ(t->count, c.count) << c.ini;
        EXPECT_EQ(t->selected, c.selected) << c.ini;
    }
}

TEST(SetupList, fieldRulesOfOneSetup) {
    const QString longText(300, QLatin1Char('x'));
    struct Case {
        QByteArray keys; // lines of [SETUP_1]
        std::function<bool(const SetupRecord&, const SetupFont&)> check;
    };
    const Case cases[] = {
        {"", [](auto& r, auto&) { return r.name == "Default"; }},
        {"DIR=/data/a\n",
         [](auto& r, auto&) { return r.backupDataPath == "/data/a" && r.primaryPath == "/data/a/Primary/"; }},
        {"DIR=\n", [](auto& r, auto&) { return r.backupDataPath.isEmpty() && r.primaryPath.isEmpty(); }},
        {"COM=junk\n", [](auto& r, auto&) { return r.comPort == 1; }},
        {"FONT_IsBold=1\nFONT_IsStrikeOut=2\n",
         [](auto&, auto& f) { return f.bold && f.strikeOut && !f.underline; }},
        {"FONT_Charset=384\nFONT_Pitch=255\n",
         [](auto&, auto& f) { return f.charset == 128 && f.pitch == -1; }},
        {"FONT_Name=\n", [](auto&, auto& f) { return f.name.isEmpty(); }},
        {"NAME=" + longText.toUtf8() + "\nDIR=/" + longText.toUtf8() + "\nIP=127.168.100.200.7\n",
         [](auto& r, auto&) {
             return r.name.size() == 259 && r.backupDataPath.size() == 259 && r.primaryPath.size() <= 259 &&
                    r.ipAddress == "127.168.100.200";
         }},
    };
    for (const Case& c : cases) {
        test::TestFolder home;
        const auto t = LoadList(home, "[SETUP]\nREG=1\n[SETUP_1]\n" + c.keys);
        ASSERT_EQ(t->count, 1);
        EXPECT_TRUE(c.check(t->records[0], t->fonts[0])) << c.keys.toStdString();
    }
}

// A saved table loads back unchanged. A setup deleted from it keeps its section in the file but is not
// loaded.
TEST(SetupList, savedTableLoadsBackUnchangedAndDeletedSetupsAreNotLoaded) {
    test::TestFolder home;
    auto t = std::make_unique<SetupTable>();
    t->count = 3;
    t->selected = -1;
    SetupRecord& a = t->records[0];
    a.name = QStringLiteral("\u30B9\u30BF\u30B8\u30AA 1");
    a.SetBackupDataPath("/srv/with space");
    a.ipAddress = "127.0.0.1";
    a.selectLan = a.receiveAll = true;
    a.comPort = 15;
    a.primaryBackupFiles = 0x81;
    a.sendButtons = 0x30;
    t->fonts[0] = SetupFont{0x00FF00, -16, "DejaVu Sans Mono", 2, 12, 128, true, true, false, true};
    t->records[1].name = " padded ";
    t->records[2].name = "\"quoted\"";
    const TmFile file(home.Path());
    ASSERT_TRUE(file.SaveSetupList(*t));
    const QByteArray first = home.Read("QDV70LIST.INI");

    auto back = std::make_unique<SetupTable>();
    ASSERT_TRUE(file.LoadSetupList(*back, kMenuFont));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(back->records[i], t->records[i]) << i;
        EXPECT_EQ(back->fonts[i], t->fonts[i]) << i;
    }
    ASSERT_TRUE(file.SaveSetupList(*back));
    EXPECT_EQ(home.Read("QDV70LIST.INI"), first);

    back->count = 2;
    ASSERT_TRUE(file.SaveSetupList(*back));
    IniFile ini;
    ASSERT_TRUE(ini.Load(home.FilePath("QDV70LIST.INI")));
    EXPECT_EQ(ini.ReadString("SETUP_3", "NAME", {}), t->records[2].name);
    ASSERT_TRUE(file.LoadSetupList(*back, kMenuFont));
    EXPECT_EQ(back->count, 2);
    EXPECT_EQ(back->records[2].name, "");
}

TEST(SetupList, fileNameInAnyCaseIsFoundAndKept) {
    test::TestFolder home;
    home.Write("qdv70list.ini", "[setup]\r\nreg=1\r\n[setup_1]\r\nname=lower\r\n");
    const TmFile file(home.Path());
    auto t = std::make_unique<SetupTable>();
    ASSERT_TRUE(file.LoadSetupList(*t, kMenuFont));
    EXPECT_EQ(t->records[0].name, "lower");
    t->records[0].name = "changed";
    ASSERT_TRUE(file.SaveSetupList(*t));
    EXPECT_EQ(QDir(home.Path()).entryList(QDir::Files), QStringList{"qdv70list.ini"});
    EXPECT_TRUE(home.Read("qdv70list.ini").startsWith("[setup]\r\nreg=1\r\n[setup_1]\r\nname=changed\r\n"));
}

TEST(TmTable, goingAwayWritesTheListOnlyWhenTheRunChangedIt) {
    test::TestFolder home;
    home.Write("QDV70LIST.INI", test::ReadTestData("store/QDV70LIST_windows.ini"));
    const TmFile files(home.Path());
    {
        // Another program changes the file while the table is up; an unchanged table leaves it so.
        TmTable table(files, kMenuFont);
        home.Write("QDV70LIST.INI", "[SETUP]\r\nREG=0\r\n");
    }
    EXPECT_EQ(home.Read("QDV70LIST.INI"), "[SETUP]\r\nREG=0\r\n");
    home.Write("QDV70LIST.INI", test::ReadTestData("store/QDV70LIST_windows.ini"));
    {
        TmTable table(files, kMenuFont);
        table.Select(0);
    }
    auto reloaded = std::make_unique<SetupTable>();
    ASSERT_TRUE(files.LoadSetupList(*reloaded, kMenuFont));
    EXPECT_EQ(reloaded->selected, 0);
}

TEST(PortSettings, defaultsAndSerialDevices) {
    test::TestFolder home;
    PortSettings ports;
    TmFile(home.Path()).LoadPortSettings(ports);
    EXPECT_EQ(ports.busPort, 8020);
    EXPECT_EQ(ports.ftpPort, 21);
    EXPECT_EQ(ports.ftpUser, "admin");
    EXPECT_EQ(ports.SerialDevicePath(1), "/dev/ttyS0");
    EXPECT_FALSE(ports.udpBroadcastGiven);
    EXPECT_EQ(ports.udpBroadcast, "255.255.255.255");

    home.Write("QDV70COMM.INI",
               "[udp]\r\nbroadcast=127.255.255.255\r\n[port]\r\nzebu=9000\r\nGETINFO=bad\r\nFTP=2121\r\n[ftp]"
               "\r\nuser=op\r\n[SERIAL]\r\nCOM1=/dev/ttyUSB0\r\ncom15 = /dev/ttyACM1 \r\n");
    TmFile(home.Path()).LoadPortSettings(ports);
    EXPECT_EQ(ports.busPort, 9000);
    EXPECT_TRUE(ports.udpBroadcastGiven);
    EXPECT_EQ(ports.udpBroadcast, "127.255.255.255");
    EXPECT_EQ(ports.getInfoPort, 8081); // a key that is missing or does not parse keeps its default
    EXPECT_EQ(ports.remotePort, 1001);
    EXPECT_EQ(ports.ftpPort, 2121);
    EXPECT_EQ(ports.ftpUser, "op");
    EXPECT_EQ(ports.ftpPassword, "mrvt3904");
    EXPECT_EQ(ports.SerialDevicePath(1), "/dev/ttyUSB0");
    EXPECT_EQ(ports.SerialDevicePath(2), "/dev/ttyS1");
    EXPECT_EQ(ports.SerialDevicePath(15), "/dev/ttyACM1");
}

TEST(TmFile, foldersAreCreatedWithParentsOrTheFailureNamesTheFolder) {
    test::TestFolder home;
    const TmFile file(home.Path());
    QString error;
    ASSERT_TRUE(file.CreateProgramFolders(&error)) << error.toStdString();
    EXPECT_TRUE(QFileInfo(home.FilePath("HELP")).isDir() && QFileInfo(home.FilePath("XMLDoc")).isDir());
    EXPECT_TRUE(file.EnsureDirectory(home.FilePath("a/b/c"), &error));
    EXPECT_TRUE(QFileInfo(home.FilePath("a/b/c")).isDir());

    home.Write("blocker", "file");
    const QString blocked = home.FilePath("blocker/sub");
    EXPECT_FALSE(file.EnsureDirectory(blocked, &error));
    EXPECT_EQ(error, "Cannot create directory.(" + blocked + ")");
    EXPECT_FALSE(TmFile(home.FilePath("blocker")).CreateProgramFolders(&error));
    EXPECT_EQ(error, "Cannot create directory.(" + home.FilePath("blocker/HELP") + ")");
}

TEST(TmFile, fileSizeIsZeroForAnythingButAFile) {
    test::TestFolder dir;
    dir.Write("f.DAU", QByteArray(1032, '0'));
    EXPECT_EQ(TmFile::GetFileSize(dir.FilePath("f.DAU")), 1032);
    EXPECT_EQ(TmFile::GetFileSize(dir.FilePath("none.DAU")), 0);
    EXPECT_EQ(TmFile::GetFileSize(dir.Path()), 0);
}

TEST(TmFile, backupTemporariesGoOnlyFromTheFourFolders) {
    test::TestFolder d;
    const QStringList removed = {"a.BAK", "b.bak", "PRIMARY/x.Bak", "name/y.BAK", "Xpoint/z.BAK"};
    const QStringList kept = {"keep.DAU", "a.BAK.txt", "ZEBU_002/s.BAK", "Other/o.BAK", "dir.BAK/inner.DAU"};
    for (const QString& f : removed + kept)
        d.Write(f, "x");
    SetupRecord setup;
    setup.SetBackupDataPath(d.Path());
    const TmFile file(d.Path());
    file.DeleteBackupTemporaries(setup);
    for (const QString& f : removed)
        EXPECT_FALSE(d.Exists(f)) << f.toStdString();
    for (const QString& f : kept)
        EXPECT_TRUE(d.Exists(f)) << f.toStdString();

    // Folders that do not exist, or no folder at all, are no error and touch nothing.
    setup.SetBackupDataPath(d.FilePath("gone"));
    file.DeleteBackupTemporaries(setup);
    EXPECT_FALSE(d.Exists("gone"));
    d.Write("cwd.BAK", "x");
    const QString cwd = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(d.Path()));
    file.DeleteBackupTemporaries(SetupRecord{});
    QDir::setCurrent(cwd);
    EXPECT_TRUE(d.Exists("cwd.BAK"));
}

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
