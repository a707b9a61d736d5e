#include "services/ConfigOperations.h"
#include "services/RequestFramer.h"
#include "services/ServiceBindings.h"
#include "services/SoapServer.h"
#include "store/DataImage.h"
#include "support/TestFolder.h"

#include <QDateTime>
#include <QFileInfo>
#include <QStringList>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace qdv;
using qdv::test::TestFolder;

namespace {

constexpr int kStdSize = 16384;
constexpr int kNmeSize = 35592;

// A backup folder whose standard settings hold a known pattern, and the operations on it.
struct Rig {
    TestFolder folder;
    QStringList log;
    ImageStore images{[this](const QString& line) { log << line; }};
    ConfigOperations ops{images, [this] { return folder.FilePath("backup"); }};
    QByteArray original;
    QByteArray originalNames;

    explicit Rig(bool load = true, bool names = true) {
        for (int i = 0; i < kStdSize; ++i)
            original += static_cast<char>((i * 7 + 3) & 0xFF);
        original[8192 + 255] = 0; // Level8
        original[8192 + 253] = 0; // Type16
        folder.Write("backup/Primary/ZEBU_STD.DAU", image::Encode(original));
        for (int i = 0; i < kNmeSize; ++i)
            originalNames += static_cast<char>((i * 5 + 1) & 0xFF);
        originalNames.replace(33024, 8, QByteArray(8, '\0')); // every name group empty
        if (names)
            folder.Write("backup/Name/ZEBU_NME.DAU", image::Encode(originalNames));
        if (load)
            ops.GetProductInfo();
    }
    std::uint8_t At(int a) const { return images.Bytes(ImageStore::kStd)[static_cast<std::size_t>(a)]; }
    QByteArray Slice(ImageStore::Id which, int a, int n) const {
        return QByteArray(reinterpret_cast<const char*>(&images.Bytes(which)[static_cast<std::size_t>(a)]),
                          n);
    }
    QByteArray Bytes(int a, int n) const { return Slice(ImageStore::kStd, a, n); }
    void Put(int a, std::uint8_t v) { images.Bytes(ImageStore::kStd)[static_cast<std::size_t>(a)] = v; }
    QByteArray File() const { return folder.Read("backup/Primary/ZEBU_STD.DAU"); }
    QByteArray Names(int a, int n) const { return Slice(ImageStore::kNme, a, n); }
    QByteArray NamesFile() const { return folder.Read("backup/Name/ZEBU_NME.DAU"); }
};

TEST(ConfigOperations, typeAndLevelNamesGoToTheirHalfAndTheFileChangesOnlyThere) {
    Rig rig;
    EXPECT_EQ(rig.ops.SetTypeName({{17, "XY"}, {3, "ABCDEF"}, {0, "zero"}, {33, "big"}}), "OK");
    EXPECT_EQ(rig.ops.SetLvName({{1, "LEVELNAME1"}, {9, "L9"}, {17, "no"}}), "OK");
    // Type 17 and level 9 are the first of the second half; a type name takes four bytes of its slot
    // of eight, a level name all eight.
    QByteArray expected = rig.original;
    expected.replace(8192, 4, QByteArray("XY\0\0", 4));
    expected.replace(16, 4, "ABCD");
    expected.replace(128, 8, "LEVELNAM");
    expected.replace(8192 + 128, 8, QByteArray("L9\0\0\0\0\0\0", 8));
    EXPECT_EQ(rig.File(), image::Encode(expected));
    EXPECT_EQ(rig.ops.GetTypeName({17, 3, 40}), (std::vector<NumberedName>{{17, "XY"}, {3, "ABCD"}}));
    EXPECT_EQ(rig.ops.GetLvName({9, 1}), (std::vector<NumberedName>{{9, "L9"}, {1, "LEVELNAM"}}));
}

TEST(ConfigOperations, controlAreaRules) {
    struct Case {
        const char* what;
        CtrlAreaRequest request;
        CtrlArea expected; // from GetCtrlArea afterwards
    };
    const Case cases[] = {
        {"all given", {5, 10, 7, 9, "NEWNAME"}, {5, 10, 7, 9, "NEWN"}},
        {"end below start becomes start", {50, 10, 7, 6, {}}, {50, 50, 7, 7, "AREA"}},
        {"range cut to 1024", {1, 4093, 2000, 3500, {}}, {1, 1024, 2000, 3023, "AREA"}},
        {"out of range numbers are absent", {0, 4094, -1, 4093, {}}, {101, 201, 301, 4093, "AREA"}},
        {"short name clears the rest", {{}, {}, {}, {}, "B"}, {101, 201, 301, 401, "B"}},
    };
    for (const Case& c : cases) {
        Rig rig;
        ASSERT_EQ(rig.ops.SetCtrlArea({101, 201, 301, 401, "AREA"}), "OK"); // the area each row changes
        EXPECT_EQ(rig.ops.SetCtrlArea(c.request), "OK") << c.what;
        EXPECT_EQ(rig.ops.GetCtrlArea(), c.expected) << c.what;
        EXPECT_EQ(rig.At(5376), (c.expected.srcStart - 1) & 0xFF) << c.what; // stored as number - 1
        EXPECT_EQ(rig.At(5388), 0) << c.what;
    }

    Rig level16;
    level16.Put(8192 + 255, 1);
    const QByteArray area = level16.Bytes(5376, 13);
    EXPECT_EQ(level16.ops.SetCtrlArea({5, 10, 7, 9, "X"}), "OK");
    EXPECT_EQ(level16.Bytes(5376, 13), area); // fixed in Level16 mode
    const auto fixed = level16.ops.GetCtrlArea();
    ASSERT_TRUE(fixed);
    EXPECT_EQ((CtrlArea{fixed->srcStart, fixed->srcEnd, fixed->dstStart, fixed->dstEnd, {}}),
              (CtrlArea{1, 1024, 1, 512, {}}));
}

TEST(ConfigOperations, typeModeConvertsTerminalNumbersBothWays) {
    Rig rig;
    // Source entry 0 holds 123 and destination entry 511 holds 1023 as decimal digits; the upper
    // nibble of byte 0 and the following bytes belong to other fields.
    const int src = 256, dst = 2304 + 5 * 511;
    rig.Put(src, 0x51), rig.Put(src + 1, 0x23), rig.Put(src + 2, 0xEE);
    rig.Put(dst, 0x0A), rig.Put(dst + 1, 0x23), rig.Put(dst + 2, 0xDD);

    EXPECT_EQ(rig.ops.SetConfMode({{"TypeMode", "Type32"}}), "OK");
    EXPECT_EQ(rig.Bytes(src, 3), QByteArray("\x50\x7B\xEE", 3)); // 123
    EXPECT_EQ(rig.Bytes(dst, 3), QByteArray("\x03\xFF\xDD", 3)); // 1023
    EXPECT_EQ(rig.At(8192 + 253), 1);

    EXPECT_EQ(rig.ops.SetConfMode({{"TypeMode", "Type32"}}), "OK"); // same mode: no second conversion
    EXPECT_EQ(rig.Bytes(src, 2), QByteArray("\x50\x7B", 2));

    EXPECT_EQ(rig.ops.SetConfMode({{"TypeMode", "Type16"}}), "OK");
    EXPECT_EQ(rig.Bytes(src, 3), QByteArray("\x51\x23\xEE", 3));
    EXPECT_EQ(rig.Bytes(dst, 3), QByteArray("\x0A\x23\xDD", 3));
}

TEST(ConfigOperations, confModeItemsAndTheirAnswer) {
    Rig rig;
    rig.Put(254, 0x01);
    EXPECT_EQ(
        rig.ops.SetConfMode(
            {{"NameStyle", "DescName"}, {"LevelMode", "Level16"}, {"Bogus", "x"}, {"TypeMode", "Type99"}}),
        "OK");
    EXPECT_EQ(rig.At(254), 0x81);
    EXPECT_EQ(rig.At(8192 + 255), 1);
    EXPECT_EQ(rig.ops.GetConfMode(),
              (std::vector<ModeEntry>{
                  {"NameStyle", "DescName"}, {"TypeMode", "Type16"}, {"LevelMode", "Level16"}}));
    EXPECT_EQ(rig.ops.SetConfMode({{"NameStyle", "TypeNum"}, {"LevelMode", "Level8"}}), "OK");
    EXPECT_EQ(rig.At(254), 0x01);
    EXPECT_EQ(rig.At(8192 + 255), 0);
}

TEST(ConfigOperations, activeAndDetectedUnits) {
    Rig rig;
    for (int a = 5408; a < 5440; ++a)
        rig.Put(a, 0);
    EXPECT_EQ(rig.ops.SetActiveUnit({{1, true}, {255, true}, {10, true}, {0, true}, {256, true}}), "OK");
    EXPECT_EQ(rig.At(5408), 0x80);
    EXPECT_EQ(rig.At(5409), 0x40); // unit 10
    EXPECT_EQ(rig.At(5408 + 31), 0x02);
    EXPECT_EQ(rig.ops.SetActiveUnit({{10, false}}), "OK");
    EXPECT_EQ(rig.ops.GetActiveUnit({1, 10, 300}), (std::vector<UnitFlag>{{1, true}, {10, false}}));

    rig.Put(5823 + 4, 9);
    rig.Put(5823 + 5, 9);
    EXPECT_EQ(rig.ops.SetDetUnit({{4, 0}, {5, 7}, {6, 256}, {0, 1}}), "OK");
    EXPECT_EQ(rig.At(5567 + 4), 0);
    EXPECT_EQ(rig.At(5823 + 4), 0); // cleared with the value 0
    EXPECT_EQ(rig.At(5567 + 5), 7);
    EXPECT_EQ(rig.At(5823 + 5), 9);
    EXPECT_EQ(rig.At(5567 + 6), rig.original[5567 + 6] & 0xFF); // a value that is no byte is skipped
    EXPECT_EQ(rig.ops.GetDetUnit({5}), (std::vector<UnitValue>{{5, 7}}));
}

// While another writer holds the backup folder a change waits, and after its wait answers the file
// error, naming the holder in the log and changing nothing; reads do not wait.
TEST(ConfigOperations, aChangeWaitsForTheBackupFolderReadsDoNot) {
    Rig rig;
    rig.images.SetWriteWait(100);
    test::OtherWriter other(rig.folder.FilePath("backup"), QStringLiteral("receiving Primary"));
    EXPECT_EQ(rig.ops.SetTypeName({{1, "NEW"}}), "\nZEBU_STD.DAU File write error.");
    const QString log = rig.log.join('\n');
    EXPECT_TRUE(log.contains("write error[ZEBU_STD.DAU]the backup folder is busy: ") &&
                log.contains(QStringLiteral("(pid %1) is receiving Primary").arg(::getpid())))
        << log.toStdString();
    EXPECT_EQ(rig.File(), image::Encode(rig.original));
    EXPECT_TRUE(rig.ops.GetTypeName({1}));
}

TEST(ConfigOperations, aFailedWriteBackSaysSoAndKeepsTheChangeInMemory) {
    Rig rig;
    // A full disk, as this process sees it: no file may grow beyond 1 KB.
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = before;
    small.rlim_cur = 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::string answer = rig.ops.SetTypeName({{1, "NEW"}});
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(answer, "\nZEBU_STD.DAU File write error.");
    EXPECT_EQ(rig.File(), image::Encode(rig.original));
    EXPECT_EQ(rig.Bytes(0, 3), QByteArray("NEW"));
    EXPECT_TRUE(rig.log.join('\n').contains("ZEBU_STD.DAU")) << rig.log.join('\n').toStdString();
}

TEST(ConfigOperations, deviceAndProductFromTheStandardSettings) {
    struct Case {
        char type;
        const char* model;
        std::optional<std::pair<std::string, int>> device; // name and code
        const char* product;
    };
    const Case cases[] = {
        {'d', "KMC-1100", {{"KMC-1100(P)", 100}}, "KMC-1100(P)"},
        {'e', "KMC-1000", {{"KMC-1000(P)", 101}}, "KMC-1000(P)"},
        {'<', "JRVM-D60", {{"JRVM-D60(P)", 60}}, "JRVM-D60"},
        {'8', "OTHER", {{"RVQ-T7700(P)", 56}}, "RVQ-T7700"},
        {'x', "", std::nullopt, "RVQ-T7700"},
    };
    for (const Case& c : cases) {
        Rig rig(false);
        QByteArray bytes = rig.original;
        bytes.replace(8160, 8, QByteArray(c.model).leftJustified(8, '\0'));
        bytes[8191] = c.type;
        rig.folder.Write("backup/Primary/ZEBU_STD.DAU", image::Encode(bytes));
        const auto device = rig.ops.GetInfo();
        EXPECT_EQ(device ? std::optional(std::pair(device->deviceName, device->deviceCode)) : std::nullopt,
                  c.device)
            << c.type;
        EXPECT_EQ(rig.ops.GetProductInfo().productName, c.product) << c.type;
    }
}

TEST(ConfigOperations, terminalLabelsInTheirHalfAndForm) {
    struct Case {
        const char* what;
        TerminalSide side;
        int no;
        bool type32;
        int type, number;
        int offset;       // of the entry in the standard settings
        const char* b0b1; // the label bytes written
    };
    const auto src = TerminalSide::kSource;
    const auto dst = TerminalSide::kDestination;
    const Case cases[] = {
        {"first source, three digits", src, 0, false, 2, 345, 256, "\x13\x45"},
        {"last source of the first half", src, 511, false, 16, 999, 256 + 4 * 511, "\xF9\x99"},
        {"last source", src, 1023, false, 32, 1023, 8192 + 256 + 4 * 511, "\xFB\xFF"},
        {"destination in Type32 mode", dst, 0, true, 20, 1023, 2304, "\x3B\xFF"},
        {"destination of the second half", dst, 700, false, 1, 5, 8192 + 2304 + 5 * 188, "\x00\x05"},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.Put(8192 + 253, c.type32 ? 1 : 0);
        const QByteArray rest = rig.Bytes(c.offset + 2, 2);
        const QByteArray names = rig.NamesFile();
        EXPECT_EQ(rig.ops.SetTerm(c.side, {{c.no, c.type, c.number, {}}}), "OK") << c.what;
        EXPECT_EQ(rig.Bytes(c.offset, 2), QByteArray(c.b0b1, 2)) << c.what;
        EXPECT_EQ(rig.Bytes(c.offset + 2, 2), rest) << c.what; // not the label's bytes
        const auto read = rig.ops.GetTerm(c.side, {c.no});
        ASSERT_TRUE(read && read->size() == 1) << c.what;
        EXPECT_EQ((*read)[0].type, c.type) << c.what;
        EXPECT_EQ((*read)[0].number, c.number) << c.what;
        EXPECT_EQ(image::Decode(rig.File(), kStdSize), rig.Bytes(0, kStdSize)) << c.what;
        EXPECT_EQ(rig.NamesFile(), names) << c.what; // not touched, not written
    }

    // Entries out of range for their place are skipped whole; the others of the request apply.
    Rig rig;
    EXPECT_EQ(rig.ops.SetTerm(src, {{-1, 1, 1, {}},
                                    {1024, 1, 1, {}},
                                    {0, 17, 1, "skipped too"}, // three-digit form holds types 1 to 16
                                    {1, 1, 1, "TAB\tBREAKS"},  // would split the description text forms
                                    {0, 1, 1000, {}},
                                    {512, 1, 1024, {}},
                                    {512, 0, 1, {}},
                                    {5, {}, 7, {}}}),
              "OK\nSrcTerm 1 skipped: it holds a control character (U+0009).");
    QByteArray expected = rig.original;
    expected[256 + 20 + 1] = 0x07; // source 5 keeps its type, its number becomes 7
    expected[256 + 20] = static_cast<char>(rig.original[256 + 20] & 0xF0);
    EXPECT_EQ(rig.Bytes(0, kStdSize), expected);
    EXPECT_EQ(rig.Names(0, 16), rig.originalNames.left(16));
}

TEST(ConfigOperations, nameGroupsAreTheBlocksOfTheChangeList) {
    Rig rig;
    EXPECT_EQ(rig.ops.AddNameGroup({{1, {{false, 1}, {true, 1024}, {false, 1}, {false, 0}, {true, 1025}}},
                                    {8, {{true, 5}}},
                                    {9, {{false, 2}}}}),
              "OK");
    EXPECT_EQ(rig.Names(33024, 8), QByteArray("\x02\0\0\0\0\0\0\x01", 8)); // a count per group
    EXPECT_EQ(rig.Names(33032, 6), QByteArray("\x00\x01\x84\x00\x00\x00", 6));
    EXPECT_EQ(rig.Names(33032 + 7 * 320, 2), QByteArray("\x80\x05", 2));
    EXPECT_EQ(rig.NamesFile(), image::Encode(rig.Names(0, kNmeSize)));
    EXPECT_EQ(rig.ops.GetNameGroup({1, 2, 0}),
              (std::vector<NameGroup>{{1, {{false, 1}, {true, 1024}}}, {2, {}}}));

    EXPECT_EQ(rig.ops.DelNameGroup({{1, {{false, 1}}}, {8, {}}}), "OK");
    EXPECT_EQ(rig.ops.GetNameGroup({1, 8}), (std::vector<NameGroup>{{1, {{true, 1024}}}, {8, {}}}));
    EXPECT_EQ(rig.Names(33032, 4), QByteArray("\x84\x00\x00\x00", 4)); // moved up, the rest cleared

    NameGroup full{2, {}};
    for (int n = 1; n <= 170; ++n)
        full.terminals.push_back({false, n});
    EXPECT_EQ(rig.ops.AddNameGroup({full}), "OK");
    const auto held = rig.ops.GetNameGroup({2});
    ASSERT_TRUE(held);
    EXPECT_EQ((*held)[0].terminals.size(), 160u);
    EXPECT_EQ(rig.Names(33032 + 320 + 318, 2), QByteArray("\x00\xA0", 2)); // terminal 160 last
}

// One named text of a request: a type or level name, a source description (with a label when `no`
// is negative: source -no labelled type 1, number -no) or the control area's name.
std::string SetText(ConfigOperations& o, std::string_view what, int no, const std::string& text) {
    if (what == "TypeName")
        return o.SetTypeName({{no, text}});
    if (what == "LvName")
        return o.SetLvName({{no, text}});
    if (what == "SrcTerm")
        return no < 0 ? o.SetTerm(TerminalSide::kSource, {{-no, 1, -no, text}})
                      : o.SetTerm(TerminalSide::kSource, {{no, {}, {}, text}});
    return o.SetCtrlArea({5, 10, 7, 9, text});
}

// Names and descriptions keep the controller's character set; a description also keeps the
// description text's field rules. An entry that breaks them is skipped and named in the answer.
TEST(ConfigOperations, textsKeepTheControllersCharacterRules) {
    const std::string slash = "\"/\", which separates the fields of the description text.";
    const std::string comma = "\",\", which separates the fields of the description text.";
    const std::string noForm = " which has no 8-bit form.";
    struct Case {
        const char* op;
        int no;
        std::string text;
        std::string skipped; // what the answer says after "<op> <no> skipped: it holds "; empty: "OK"
        int offset;          // in STD, or in NME when negative (-1 - offset)
        const char* stored;  // nullptr: unchanged
    };
    const Case cases[] = {
        {"TypeName", 1, "\u30AB", "\"\u30AB\" (U+30AB)," + noForm, 0, nullptr},
        {"TypeName", 1, "A,B", comma, 0, nullptr},
        {"TypeName", 2, "C/D", slash, 8, nullptr},
        {"LvName", 1, "A/B,C", "", 128, "A/B,C"}, // level names may hold both
        {"LvName", 1, "A\x01", "a control character (U+0001).", 128, nullptr},
        {"LvName", 1, "\uE041", "\"\uE041\" (U+E041)," + noForm, 128, nullptr}, // a byte the editors keep
        {"SrcTerm", 6, "\uFF76\uFF92\uFF97 1", "", -1 - 16 * 6, "\xB6\xD2\xD7 1"},
        {"SrcTerm", -5, "CAM/1", slash, 256 + 20, nullptr}, // labelled: skipped whole, label too
        {"Name", 0, "\t", "a control character (U+0009).", 5384, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.op + std::string(" ") + c.text);
        Rig rig;
        const QByteArray before = c.offset >= 0 ? rig.Bytes(c.offset, 8) : rig.Names(-1 - c.offset, 8);
        const std::string name = c.no == 0 ? c.op : c.op + (" " + std::to_string(std::abs(c.no)));
        EXPECT_EQ(SetText(rig.ops, c.op, c.no, c.text),
                  c.skipped.empty() ? "OK" : "OK\n" + name + " skipped: it holds " + c.skipped);
        const QByteArray expected = c.stored ? QByteArray(c.stored) : before;
        const int n = static_cast<int>(expected.size());
        EXPECT_EQ(c.offset >= 0 ? rig.Bytes(c.offset, n) : rig.Names(-1 - c.offset, n), expected);
    }
}

TEST(ConfigOperations, withoutTheNamesFileOnlyTheLabelsCanChange) {
    Rig rig(true, false);
    const std::string missing = "\nZEBU_NME.DAU File doesn't exist.";
    EXPECT_EQ(rig.ops.SetTerm(TerminalSide::kSource, {{0, 1, 1, {}}, {1, {}, {}, "X"}}), missing);
    EXPECT_EQ(rig.Bytes(256, 2), rig.original.mid(256, 2)); // nothing of the request applied
    EXPECT_EQ(rig.ops.SetTerm(TerminalSide::kSource, {{0, 1, 1, {}}}), "OK");
    EXPECT_EQ(rig.ops.AddNameGroup({{1, {{false, 1}}}}), missing);
    EXPECT_EQ(rig.ops.DelNameGroup({{1, {}}}), missing);
    EXPECT_FALSE(rig.ops.GetNameGroup({1}));
    const auto read = rig.ops.GetTerm(TerminalSide::kSource, {0});
    ASSERT_TRUE(read);
    EXPECT_FALSE((*read)[0].name);
    EXPECT_FALSE(rig.folder.Exists("backup/Name/ZEBU_NME.DAU"));
}

// Another writer (a receive job, an import, an editor) replaces a file after the services loaded it.
TEST(ImageStore, aNewerFileIsNeverTakenBack) {
    enum Writer { kNewerStd, kNewerNames, kSameSizeAndTimes, kGone };
    struct Case {
        const char* what;
        Writer writer;
        const char* op; // "Get": the type name read back
        int no;
        std::string text;
        std::string answer;
    };
    const Case cases[] = {
        {"a write keeps what the newer file holds", kNewerStd, "TypeName", 2, "TWO", "OK"},
        {"a read answers from the newer file", kNewerStd, "Get", 1, "", "NEW!"},
        {"a description keeps the newer names file", kNewerNames, "SrcTerm", 5, "CAM 5", "OK"},
        {"same size and times, other content", kSameSizeAndTimes, "TypeName", 2, "TWO", "OK"},
        {"a file that is gone is not made again", kGone, "TypeName", 2, "TWO",
         "\nZEBU_STD.DAU File doesn't exist."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig;
        const QString std = rig.folder.FilePath("backup/Primary/ZEBU_STD.DAU");
        const QDateTime when = QFileInfo(std).lastModified();
        QByteArray image = c.writer == kNewerNames ? rig.originalNames : rig.original;
        const QByteArray mark = c.writer == kNewerNames ? "IMPORTED" : "NEW!";
        image.replace(0, mark.size(), mark);
        if (c.writer == kGone)
            QFile::remove(std);
        else
            rig.folder.Write(c.writer == kNewerNames ? "backup/Name/ZEBU_NME.DAU"
                                                     : "backup/Primary/ZEBU_STD.DAU",
                             image::Encode(image));
        QFile file(std);
        if (c.writer == kSameSizeAndTimes) {
            ASSERT_TRUE(file.open(QIODevice::ReadWrite));
            file.setFileTime(when, QFileDevice::FileModificationTime);
        }
        EXPECT_EQ(c.op == std::string("Get") ? rig.ops.GetTypeName({c.no})->front().name
                                             : SetText(rig.ops, c.op, c.no, c.text),
                  c.answer);
        if (c.writer == kGone) {
            EXPECT_FALSE(rig.folder.Exists("backup/Primary/ZEBU_STD.DAU"));
        } else if (c.writer == kNewerNames) {
            const QByteArray names = image::Decode(rig.NamesFile(), kNmeSize);
            EXPECT_EQ(names.left(8), QByteArray("IMPORTED"));
            EXPECT_EQ(names.mid(80, 6), QByteArray("CAM 5\0", 6));
        } else {
            const QByteArray stored = image::Decode(rig.File(), kStdSize);
            EXPECT_EQ(stored.left(4), QByteArray("NEW!"));
            EXPECT_EQ(stored.mid(8, 4), c.text.empty() ? image.mid(8, 4) : QByteArray("TWO\0", 4));
        }
    }
}

// A change not yet written back reaches its file when another client reloads the image meanwhile; when
// another writer replaced the file meanwhile (the last check before the rename), the newer file stays.
TEST(ImageStore, aChangeNotYetWrittenReachesItsFileUnlessTheFileWasReplaced) {
    for (const bool replaced : {false, true}) {
        SCOPED_TRACE(replaced ? "file replaced" : "image reloaded");
        Rig rig;
        ImageStore::Change change;
        {
            const std::unique_lock lock(rig.images.Mutex());
            rig.images.Bytes(ImageStore::kStd)[0] = 'Z';
            change = rig.images.MarkChanged(ImageStore::kStd);
        }
        QByteArray expected = rig.original;
        if (replaced) {
            expected[1] = 'N';
            rig.folder.Write("backup/Primary/ZEBU_STD.DAU", image::Encode(expected));
        } else {
            expected[0] = 'Z';
            rig.ops.GetProductInfo();
        }
        EXPECT_EQ(rig.images.Persist(change),
                  replaced ? ImageStore::Persisted::kStale : ImageStore::Persisted::kWritten);
        EXPECT_EQ(rig.File(), image::Encode(expected));
    }
}

// Only the write-backs' own temporary files are removed, and only when they are old enough not to
// belong to a write going on now.
TEST(ImageStore, staleTemporariesOfWriteBacksAreRemoved) {
    struct Case {
        const char* name;
        int ageSeconds;
        bool removed;
    };
    const Case cases[] = {
        {"Primary/ZEBU_STD.DAU.aB3xY9", 120, true},   {"Name/zebu_nme.dau.Q1w2E3", 120, true},
        {"Primary/ZEBU_STD.DAU.aB3xY9x", 120, false}, {"Primary/ZEBU_STD.DAU.aB3x", 120, false},
        {"Primary/ZEBU_STD.DAU.aB3x-9", 120, false},  {"Primary/ZEBU_STD.DAU.aB3xY8", 5, false},
        {"Name/ZEBU_ALS1.DAU.aB3xY9", 120, false},    {"Primary/ZEBU_NME.DAU.aB3xY9", 120, false},
        {"Primary/ZEBU_STD.DAU", 120, false},
    };
    Rig rig(false);
    for (const Case& c : cases) {
        const QString path = rig.folder.FilePath(QStringLiteral("backup/") + c.name);
        rig.folder.Write(QStringLiteral("backup/") + c.name, "x");
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-c.ageSeconds),
                      QFileDevice::FileModificationTime);
    }
    rig.images.RemoveStaleTemporaries(rig.folder.FilePath("backup"));
    for (const Case& c : cases)
        EXPECT_EQ(rig.folder.Exists(QStringLiteral("backup/") + c.name), !c.removed) << c.name;
}

// The plainest request of the configuration service, as a bare envelope.
const std::string kProductInfo =
    "<?xml version=\"1.0\"?><s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\"><s:Body>"
    "<GetProductInfoReq xmlns=\"http://switcher.example/pro/switcher/primarystation/configurationservice\"/>"
    "</s:Body></s:Envelope>";

// A POST of `body` with further `headers`, naming `length` instead of the body's size when that is less.
std::string Post(const std::string& body, const std::string& headers = "", const char* version = "1.1",
                 std::size_t length = std::string::npos) {
    return std::string("POST / HTTP/") + version + "\r\nHost: 127.0.0.1\r\nContent-Type: text/xml\r\n" +
           headers + "Content-Length: " + std::to_string(std::min(length, body.size())) + "\r\n\r\n" + body;
}

// A hostile or plain client on a loopback address of its choice (each 127.x.y.z is another client
// address to the server).
class Client {
public:
    Client(int port, const char* from = "127.0.0.1") {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        inet_pton(AF_INET, from, &a.sin_addr);
        ::bind(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        a.sin_port = htons(static_cast<std::uint16_t>(port));
        inet_pton(AF_INET, "127.0.0.1", &a.sin_addr);
        m_connected = ::connect(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    }
    ~Client() { ::close(m_fd); }
    bool Connected() const { return m_connected; }
    void Send(const std::string& bytes) { ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL); }
    // Sends `request` and returns the HTTP answer, by its Content-Length; empty when none came in 30 s.
    std::string Ask(const std::string& request) {
        Send(request);
        std::string answer;
        Receive(30, [&] {
            const std::size_t head = m_buffer.find("\r\n\r\n");
            const std::size_t at = m_buffer.find("Content-Length: ");
            if (head == std::string::npos)
                return false;
            const std::size_t size = head + 4 + (at < head ? std::stoul(m_buffer.substr(at + 16)) : 0);
            if (m_buffer.size() < size)
                return false;
            answer = m_buffer.substr(0, size);
            m_buffer.erase(0, size);
            return true;
        });
        return answer;
    }
    // Everything until the server closes the connection, or until `seconds` pass.
    std::string ReadToEnd(int seconds = 30) {
        Receive(seconds, [] { return false; });
        return std::exchange(m_buffer, {});
    }
    // Whether the server closes the connection within `seconds`.
    bool Closed(int seconds = 30) {
        ReadToEnd(seconds);
        return m_closed;
    }

private:
    int m_fd = -1;
    bool m_connected = false;
    bool m_closed = false;
    std::string m_buffer;

    // Reads until `done` says so, the server closes, or `seconds` pass.
    template <typename Done> void Receive(int seconds, Done done) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (!done() && !m_closed && std::chrono::steady_clock::now() < end) {
            pollfd p{m_fd, POLLIN, 0};
            char buf[4096];
            if (::poll(&p, 1, 100) <= 0)
                continue;
            const ssize_t n = ::recv(m_fd, buf, sizeof buf, 0);
            if (n <= 0)
                m_closed = true;
            else
                m_buffer.append(buf, static_cast<std::size_t>(n));
        }
    }
};

// The configuration service on a loopback port, on the rig's backup folder.
struct Service {
    Rig rig{false};
    ServiceContext context{&rig.ops, 0};
    std::unique_ptr<SoapServer> server;

    explicit Service(const std::function<void(SoapServer::Config&)>& adjust = {}) {
        SoapServer::Config c;
        c.name = "primarystation";
        c.namespaces = kPrimaryStationNamespaces;
        c.dispatch = DispatchPrimaryStation;
        c.user = &context;
        c.bindAddress = QStringLiteral("127.0.0.1");
        // Nothing times out by itself unless a test says so.
        c.recvTimeoutSeconds = c.sendTimeoutSeconds = c.transferTimeoutSeconds = 3600;
        c.minBytesPerSecond = 0;
        if (adjust)
            adjust(c);
        server = std::make_unique<SoapServer>(c, [](const QString&) {});
        EXPECT_TRUE(server->Start());
    }
    int Port() const { return server->Port(); }
};

// Connections that send nothing, or their request a byte at a time, hold no worker: with far more of
// them than workers, and time-outs of an hour, a plain request is still answered.
TEST(SoapServer, idleAndDrippingClientsDoNotLockOutTheOthers) {
    Service service;
    std::vector<std::unique_ptr<Client>> hostile;
    for (int i = 0; i < 64; ++i) {
        const std::string from = "127.0.1." + std::to_string(1 + i / 8);
        hostile.push_back(std::make_unique<Client>(service.Port(), from.c_str()));
        ASSERT_TRUE(hostile.back()->Connected());
        if (i % 2)
            hostile.back()->Send("POST / HTTP/1.1\r\nContent-Length: 500\r\n\r\n<");
    }
    for (int round = 0; round < 3; ++round) {
        Client client(service.Port());
        EXPECT_NE(client.Ask(Post(kProductInfo)).find("ProductName"), std::string::npos) << round;
    }
}

// One address may hold only so many connections; further ones are closed at once, and other
// addresses are served all the same.
TEST(SoapServer, connectionsPerAddressAreLimited) {
    Service service([](SoapServer::Config& c) { c.maxConnectionsPerAddress = 4; });
    std::vector<std::unique_ptr<Client>> held;
    for (int i = 0; i < 4; ++i)
        held.push_back(std::make_unique<Client>(service.Port(), "127.0.2.1"));
    // The fourth is being served, hence accepted.
    ASSERT_NE(held[3]->Ask(Post(kProductInfo)).find("ProductName"), std::string::npos);
    Client fifth(service.Port(), "127.0.2.1");
    EXPECT_TRUE(fifth.Closed());
    Client other(service.Port(), "127.0.2.2");
    EXPECT_NE(other.Ask(Post(kProductInfo)).find("ProductName"), std::string::npos);
}

// A request that arrives slower than the minimum rate, or not at all after its start, is answered with
// 408 and the connection closed; one idle between requests is closed.
TEST(SoapServer, slowAndIdleConnectionsAreDropped) {
    Service service([](SoapServer::Config& c) {
        c.minBytesPerSecond = 1000;
        c.rateGraceSeconds = 1;
        c.recvTimeoutSeconds = 2;
    });
    Client dripping(service.Port());
    Client idle(service.Port());
    dripping.Send("POST / HTTP/1.1\r\n");
    const std::string answer = dripping.ReadToEnd();
    EXPECT_EQ(answer.rfind("HTTP/1.1 408", 0), 0u) << answer;
    EXPECT_TRUE(idle.Closed());
}

// How long a connection stays open is the client's choice, and every request gets an answer; a kept
// connection, whose worker waits for its next request, is ended by Stop all the same.
TEST(SoapServer, connectionsCloseAfterTheAnswerUnlessTheClientAskedToKeepThemOrTheServerStops) {
    struct Case {
        const char* what;
        std::string request;
        const char* status; // of the answer
        bool staysOpen;
    };
    const Case cases[] = {
        {"bare envelope, as network controllers' clients send it", kProductInfo, "HTTP/1.1 200", false},
        {"HTTP/1.1", Post(kProductInfo), "HTTP/1.1 200", true},
        {"HTTP/1.1, close", Post(kProductInfo, "Connection: close\r\n"), "HTTP/1.1 200", false},
        {"HTTP/1.0", Post(kProductInfo, "", "1.0"), "HTTP/1.1 200", false},
        {"malformed, close", Post("<not-soap>", "Connection: close\r\n"), "HTTP/1.1 4", false},
        {"not HTTP", "HELLO\r\n\r\n", "HTTP/1.1 400", false},
        // Exactly Content-Length bytes are the request: the envelope is cut short, what follows is no body.
        {"cut by its length", Post(kProductInfo, "", "1.1", kProductInfo.size() - 10), "HTTP/1.1 500", false},
    };
    Service service;
    for (const Case& c : cases) {
        Client client(service.Port());
        const std::string answer = client.Ask(c.request);
        EXPECT_EQ(answer.rfind(c.status, 0), 0u) << c.what << "\n" << answer;
        EXPECT_EQ(client.Closed(c.staysOpen ? 1 : 30), !c.staysOpen) << c.what;
    }
    Client kept(service.Port());
    const std::string answer = kept.Ask(Post(kProductInfo, "Connection: keep-alive\r\n"));
    ASSERT_NE(answer.find("ProductName"), std::string::npos) << answer;
    ASSERT_NE(answer.find("keep-alive"), std::string::npos) << answer;
    service.server->Stop();
    EXPECT_FALSE(service.server->Running());
    EXPECT_TRUE(kept.Closed());
}

TEST(RequestFramer, findsTheEndOfEachRequestAndRefusesWhatNoOperationNeeds) {
    struct Case {
        const char* what;
        std::string data;
        RequestFramer::Status status;
        std::size_t length; // kComplete
        bool keepAlive;
        int httpStatus; // kRefused
    };
    using S = RequestFramer::Status;
    const std::string head = "POST / HTTP/1.1\r\nContent-Length: 5\r\n\r\n";
    const std::string deep = QByteArray("<a>").repeated(33).toStdString();
    std::string manyAttributes = "<a";
    for (int i = 0; i < 33; ++i)
        manyAttributes += " x" + std::to_string(i) + "='1'";
    manyAttributes += "/>";
    const std::string manyElements = "<a>" + QByteArray("<b/>").repeated(16384).toStdString();
    const Case cases[] = {
        {"exactly Content-Length", head + "helloEXTRA", S::kComplete, head.size() + 5, true, 0},
        {"HTTP/1.0 keep-alive", "POST / HTTP/1.0\r\nConnection: Keep-Alive\r\nContent-Length: 0\r\n\r\n",
         S::kComplete, 62, true, 0},
        {"body still coming", head + "hel", S::kIncomplete, 0, false, 0},
        {"bare envelope ends with its root",
         "<?xml version='1.0'?>\n<a x='>'><!-- </a> --><![CDATA[</a>]]><a/></a>next", S::kComplete, 68, false,
         0},
        {"bare envelope still coming", "<a><b>", S::kIncomplete, 0, false, 0},
        {"bare text", "  not xml", S::kRefused, 0, false, 400},
        {"not HTTP", "HELLO\r\n\r\n", S::kRefused, 0, false, 400},
        {"chunked", "POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n", S::kRefused, 0, false, 411},
        {"no length", "POST / HTTP/1.1\r\n\r\n", S::kRefused, 0, false, 411},
        {"two lengths", "POST / HTTP/1.1\r\nContent-Length: 1\r\nContent-Length: 2\r\n\r\n", S::kRefused, 0,
         false, 400},
        {"too long", "POST / HTTP/1.1\r\nContent-Length: 1048577\r\n\r\n", S::kRefused, 0, false, 413},
        {"header too long", "POST / HTTP/1.1\r\nX: " + std::string(16384, 'x'), S::kRefused, 0, false, 431},
        {"too deep", deep, S::kRefused, 0, false, 500},
        {"too many attributes", manyAttributes, S::kRefused, 0, false, 500},
        {"too many elements", manyElements, S::kRefused, 0, false, 500},
    };
    for (const Case& c : cases) {
        RequestFramer framer(RequestFramer::Limits{});
        const RequestFramer::Result r = framer.Feed(c.data);
        EXPECT_EQ(r.status, c.status) << c.what << ": " << r.why;
        if (c.status == S::kComplete) {
            EXPECT_EQ(r.length, c.length) << c.what;
            EXPECT_EQ(r.keepAlive, c.keepAlive) << c.what;
        }
        if (c.status == S::kRefused) {
            EXPECT_EQ(r.httpStatus, c.httpStatus) << c.what;
        }

        // The same bytes one at a time end at the same place.
        RequestFramer bytewise(RequestFramer::Limits{});
        RequestFramer::Result last;
        for (std::size_t n = 1; n <= c.data.size() && last.status == S::kIncomplete; ++n)
            last = bytewise.Feed(std::string_view(c.data).substr(0, n));
        EXPECT_EQ(last.status, c.status) << c.what << " (byte by byte)";
        if (c.status == S::kComplete) {
            EXPECT_EQ(last.length, c.length) << c.what << " (byte by byte)";
        }
    }
}

} // namespace
