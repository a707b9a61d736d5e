#include "history/MeaningDiff.h"
#include "convert/AliasTables.h"
#include "convert/CrosspointTable.h"
#include "convert/DescriptionTable.h"
#include "store/DataImage.h"

#include <gtest/gtest.h>

#include <cstring>

namespace qdv::history {
namespace {

QByteArray NmeText(const TerminalTextTable& table) {
    QByteArray img = table.Image();
    img.resize(DescriptionTable::kNmeImageSize, '\0');
    return image::Encode(img);
}

QByteArray AliasText(int k, const TerminalTextTable& table) {
    AliasTables aliases;
    aliases.Table(k) = table;
    return aliases.SaveDau(k);
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

    TerminalTextTable alias;
    TerminalTextTable changed;
    changed.At(Side::Destination, 5).SetText("\xB6\xD2"); // half-width katakana
    EXPECT_EQ(Lines("NAME/zebu_als3.dau", AliasText(3, alias), AliasText(3, changed)),
              QStringList({QString::fromUtf8("destination 5 alias 3: \"\" -> \"ｶﾒ\"")}));

    // The change list of a converted description file is not a description; it is still reported.
    QByteArray img = before.Image();
    img.resize(DescriptionTable::kNmeImageSize, '\0');
    QByteArray img2 = img;
    img2[33024] = 3;
    EXPECT_EQ(Lines("Name/ZEBU_NME.DAU", image::Encode(img), image::Encode(img2)),
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
    TerminalNames oldNames;
    TerminalNames newNames;
    oldNames.Load({}, NmeText(names));
    newNames.Load({}, NmeText(names));
    EXPECT_EQ(Lines("XPoint/ZEBU_XPT.DAU", before.SaveDau(), after.SaveDau(), oldNames, newNames),
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
