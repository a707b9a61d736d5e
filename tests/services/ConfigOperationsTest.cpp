#include "services/ConfigOperations.h"
#include "store/DataImage.h"
#include "support/TestFolder.h"

#include <QDir>
#include <QStringList>
#include <gtest/gtest.h>

using namespace qdv;
using qdv::test::TestFolder;

namespace {

constexpr int kStdSize = 16384;

// A backup folder whose standard settings hold a known pattern, and the operations on it.
struct Rig {
    TestFolder folder;
    QStringList log;
    ImageStore images{[this](const QString& line) { log << line; }};
    ConfigOperations ops{images, [this] { return folder.FilePath("backup"); }};
    QByteArray original;

    explicit Rig(bool load = true) {
        original = QByteArray(kStdSize, '\0');
        for (int i = 0; i < kStdSize; ++i)
            original[i] = static_cast<char>((i * 7 + 3) & 0xFF);
        original[8192 + 255] = 0; // Level8
        original[8192 + 253] = 0; // Type16
        folder.Write("backup/Primary/ZEBU_STD.DAU", image::Encode(original));
        if (load)
            ops.GetProductInfo();
    }
    std::uint8_t At(int a) const { return images.Bytes(ImageStore::kStd)[static_cast<std::size_t>(a)]; }
    QByteArray Bytes(int a, int n) const {
        return QByteArray(
            reinterpret_cast<const char*>(&images.Bytes(ImageStore::kStd)[static_cast<std::size_t>(a)]), n);
    }
    void Put(int a, std::uint8_t v) { images.Bytes(ImageStore::kStd)[static_cast<std::size_t>(a)] = v; }
    QByteArray File() const { return folder.Read("backup/Primary/ZEBU_STD.DAU"); }
};

TEST(ConfigOperations, typeNamesGoToTheirHalfAndTheFileChangesOnlyThere) {
    Rig rig;
    EXPECT_EQ(rig.ops.SetTypeName({{17, "XY"}, {3, "ABCDEF"}, {0, "zero"}, {33, "big"}}), "OK");
    EXPECT_EQ(rig.Bytes(8192, 8), QByteArray("XY\0\0", 4) + rig.original.mid(8196, 4));
    EXPECT_EQ(rig.Bytes(16, 4), QByteArray("ABCD"));
    EXPECT_EQ(rig.Bytes(0, 16), rig.original.left(16)); // type 1 and 2 untouched

    // The file is the old text with exactly the changed characters replaced.
    QByteArray expected = image::Encode(rig.original);
    const auto patch = [&](int a, const char* hex) {
        expected.replace(static_cast<qsizetype>(image::CharOffsetOfByte(a)), 2, hex);
    };
    patch(8192, "58");
    patch(8193, "59");
    patch(8194, "00");
    patch(8195, "00");
    for (int i = 0; i < 4; ++i)
        patch(16 + i, QByteArray::number(0x41 + i, 16).toUpper().constData());
    EXPECT_EQ(rig.File(), expected);

    const auto names = rig.ops.GetTypeName({17, 3, 40});
    ASSERT_TRUE(names);
    ASSERT_EQ(names->size(), 2u);
    EXPECT_EQ((*names)[0], (NumberedName{17, "XY"}));
    EXPECT_EQ((*names)[1], (NumberedName{3, "ABCD"})); // not the slot's other bytes, which are not the name
}

TEST(ConfigOperations, levelNamesTakeEightCharactersInBothHalves) {
    Rig rig;
    EXPECT_EQ(rig.ops.SetLvName({{1, "LEVELNAME1"}, {9, "L9"}, {17, "no"}}), "OK");
    EXPECT_EQ(rig.Bytes(128, 8), QByteArray("LEVELNAM"));
    EXPECT_EQ(rig.Bytes(8192 + 128, 8), QByteArray("L9\0\0\0\0\0\0", 8));
    EXPECT_EQ(rig.ops.GetLvName({9, 1}), (std::vector<NumberedName>{{9, "L9"}, {1, "LEVELNAM"}}));
}

TEST(ConfigOperations, controlAreaRules) {
    struct Case {
        const char* what;
        CtrlAreaRequest request;
        CtrlArea expected; // from GetCtrlArea afterwards
    };
    const CtrlArea before{101, 201, 301, 401, "AREA"};
    const Case cases[] = {
        {"all given", {5, 10, 7, 9, "NEWNAME"}, {5, 10, 7, 9, "NEWN"}},
        {"end below start becomes start", {50, 10, 7, 6, {}}, {50, 50, 7, 7, "AREA"}},
        {"range cut to 1024", {1, 4093, 2000, 3500, {}}, {1, 1024, 2000, 3023, "AREA"}},
        {"out of range numbers are absent", {0, 4094, -1, 4093, {}}, {101, 201, 301, 4093, "AREA"}},
        {"short name clears the rest", {{}, {}, {}, {}, "B"}, {101, 201, 301, 401, "B"}},
    };
    for (const Case& c : cases) {
        Rig rig;
        ASSERT_EQ(
            rig.ops.SetCtrlArea({before.srcStart, before.srcEnd, before.dstStart, before.dstEnd, "AREA"}),
            "OK");
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

TEST(ConfigOperations, beforeLoadingEveryOperationSaysTheFileDoesNotExist) {
    Rig rig(false);
    const std::string missing = "\nZEBU_STD.DAU File doesn't exist.";
    EXPECT_EQ(rig.ops.SetTypeName({{1, "A"}}), missing);
    EXPECT_EQ(rig.ops.SetCtrlArea({}), missing);
    EXPECT_EQ(rig.ops.SetDetUnit({}), missing);
    EXPECT_FALSE(rig.ops.GetTypeName({1}));
    EXPECT_FALSE(rig.ops.GetConfMode());
    EXPECT_EQ(rig.File(), image::Encode(rig.original)); // nothing written
}

TEST(ConfigOperations, aFailedWriteBackSaysSoAndKeepsTheChangeInMemory) {
    Rig rig;
    ASSERT_TRUE(QDir(rig.folder.FilePath("backup/Primary")).removeRecursively());
    EXPECT_EQ(rig.ops.SetTypeName({{1, "NEW"}}), "\nZEBU_STD.DAU File write error.");
    EXPECT_EQ(rig.Bytes(0, 3), QByteArray("NEW"));
    EXPECT_TRUE(rig.log.join('\n').contains("ZEBU_STD.DAU")) << rig.log.join('\n').toStdString();
}

TEST(ConfigOperations, deviceAndProductFromTheStandardSettings) {
    struct Case {
        char type;
        const char* model;
        std::optional<std::string> device;
        int code;
        const char* product;
    };
    const Case cases[] = {
        {'d', "KMC-1100", "KMC-1100(P)", 100, "KMC-1100(P)"},
        {'e', "KMC-1000", "KMC-1000(P)", 101, "KMC-1000(P)"},
        {'<', "JRVM-D60", "JRVM-D60(P)", 60, "JRVM-D60"},
        {'8', "OTHER", "RVQ-T7700(P)", 56, "RVQ-T7700"},
        {'x', "", std::nullopt, 0, "RVQ-T7700"},
    };
    for (const Case& c : cases) {
        Rig rig(false);
        QByteArray bytes = rig.original;
        bytes.replace(8160, 8, QByteArray(c.model).leftJustified(8, '\0'));
        bytes[8191] = c.type;
        rig.folder.Write("backup/Primary/ZEBU_STD.DAU", image::Encode(bytes));
        const auto device = rig.ops.GetInfo();
        EXPECT_EQ(device.has_value(), c.device.has_value()) << c.type;
        if (device && c.device) {
            EXPECT_EQ(device->deviceName, *c.device);
            EXPECT_EQ(device->deviceCode, c.code);
        }
        EXPECT_EQ(rig.ops.GetProductInfo().productName, c.product) << c.type;
    }

    Rig missing(false);
    QFile::remove(missing.folder.FilePath("backup/Primary/ZEBU_STD.DAU"));
    EXPECT_FALSE(missing.ops.GetInfo());
    EXPECT_TRUE(missing.log.contains("read error[ZEBU_STD.DAU]1")) << missing.log.join('\n').toStdString();
}

} // namespace

namespace {

TEST(ImageStore, aChangeNotYetWrittenReachesItsFileBeforeAReloadReplacesTheImage) {
    Rig rig;
    std::uint64_t change = 0;
    {
        const std::unique_lock lock(rig.images.Mutex());
        rig.images.Bytes(ImageStore::kStd)[0] = 'Z';
        change = rig.images.MarkChanged(ImageStore::kStd);
    }
    rig.ops.GetProductInfo(); // another client reloads between the change and its write-back
    EXPECT_TRUE(rig.images.Persist(ImageStore::kStd, change));
    EXPECT_EQ(rig.At(0), 'Z');
    EXPECT_EQ(rig.File().left(2), QByteArray("5A"));
}

} // namespace
