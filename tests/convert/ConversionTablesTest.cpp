#include "convert/ConversionTables.h"
#include "ConvertFixture.h"
#include "convert/TmTableRemote.h"
#include "store/DataImage.h"
#include "store/StandardSettingsLayout.h"
#include "support/TestFolder.h"

#include <gtest/gtest.h>

namespace qdv {
namespace {

TEST(ConversionTables, loadsOnlyFilesOfTheirExactSizeAndFindsThemInAnyCase) {
    test::TestFolder dir;
    const SetupRecord s = test::SetupAt(dir.Path());
    const QByteArray nme = test::ReadTestData("convert/ZEBU_NME.DAU");
    dir.Write("NAME/zebu_nme.dau", nme);
    dir.Write("NAME/ZEBU_ALS2.DAU", QByteArray(66047, '0'));
    dir.Write("Primary/Zebu_Std.Dau", test::FixtureStdText());

    ConversionTables t;
    t.Aliases().Table(2).At(Side::Source, 1).SetText("KEEP");
    EXPECT_TRUE(t.LoadDescriptions(s));
    EXPECT_EQ(t.Descriptions().At(Side::Source, 1).Text(), "VTR-A");
    EXPECT_FALSE(t.LoadAliases(s, 1)) << "missing";
    EXPECT_FALSE(t.LoadAliases(s, 2)) << "one byte short";
    EXPECT_EQ(t.Aliases().Table(2).At(Side::Source, 1).Text(), "KEEP");
    t.BuildTerminalLabels(s);
    EXPECT_EQ(t.Labels().Label(Side::Source, 300).typeName, "CAM ");

    dir.Write("NAME/zebu_nme.dau", nme + "\r\n");
    t.Descriptions().Clear();
    EXPECT_FALSE(t.LoadDescriptions(s));
    EXPECT_TRUE(t.Descriptions().At(Side::Source, 1).IsEmpty());
}

TEST(ConversionTables, convertingDescriptionsWritesTheDescriptionFileOrLeavesItAsItWas) {
    test::TestFolder dir;
    const SetupRecord s = test::SetupAt(dir.Path());
    dir.Write("Name/ZEBU_NME.DAU", "previous");
    ConversionTables t;
    test::FillFixtureNames(&t.Descriptions(), &t.Aliases());

    // Without ZEBU_STD.DAU nothing can be converted.
    const ConverterResult missing = t.ConvertDescriptionsToDau(s);
    EXPECT_EQ(missing.code, DescriptionConverter::kCannotOpen);
    EXPECT_TRUE(missing.message.contains("ZEBU_STD.DAU"));
    EXPECT_EQ(dir.Read("Name/ZEBU_NME.DAU"), "previous");

    dir.Write("Primary/ZEBU_STD.DAU", test::FixtureStdText());
    t.BuildTerminalLabels(s);
    t.Descriptions().At(Side::Destination, 9).SetText("BAD\x7F");
    const ConverterResult refused = t.ConvertDescriptionsToDau(s);
    EXPECT_EQ(refused.code, DescriptionConverter::kBadLine);
    EXPECT_EQ(refused.message, "'D9,,,BAD\x7F'error(L1033): Declaration syntax error.");
    EXPECT_EQ(dir.Read("Name/ZEBU_NME.DAU"), "previous");

    t.Descriptions().At(Side::Destination, 9).Clear();
    EXPECT_EQ(t.ConvertDescriptionsToDau(s), ConverterResult{});
    EXPECT_EQ(dir.Read("Name/ZEBU_NME.DAU"), test::ReadTestData("convert/ZEBU_NME.DAU"));
    EXPECT_FALSE(dir.Exists("Name/ZEBU_NME.OLD"));
}

TEST(ConversionTables, labelsPlayNoPartInTheDescriptionFile) {
    // Type names (and the labels made of them) as plants and damaged files have them.
    const struct {
        const char* name;
        QByteArray typeName; // of type 1, the label of source 1 and destination 1024; empty: image of 0xFF
    } cases[] = {
        {"slash", "V/R "},
        {"comma", "V,R "},
        {"katakana", "\xCB\xDE\xC3\xDE"},
        {"all 0xFF", ""},
    };
    const QByteArray golden = test::ReadTestData("convert/ZEBU_NME.DAU");
    for (const auto& c : cases) {
        test::TestFolder dir;
        const SetupRecord s = test::SetupAt(dir.Path());
        QByteArray img = image::Decode(test::FixtureStdText(), stdlayout::kImageSize);
        if (c.typeName.isEmpty())
            img.fill('\xFF');
        else
            img.replace(0, 4, c.typeName);
        dir.Write("Primary/ZEBU_STD.DAU", image::Encode(img));
        ConversionTables t;
        t.BuildTerminalLabels(s);
        test::FillFixtureNames(&t.Descriptions(), &t.Aliases());
        EXPECT_EQ(t.SaveDescriptionsAndAliases(s), ConverterResult{}) << c.name;
        EXPECT_EQ(dir.Read("Name/ZEBU_NME.DAU"), golden) << c.name;
        EXPECT_EQ(t.ConvertDescriptionsToDau(s), ConverterResult{}) << c.name;
        EXPECT_EQ(dir.Read("Name/ZEBU_NME.DAU"), golden) << c.name;
    }
}

TEST(TmTableRemote, namesToSecondaryStationsAreSentOnlyWhenTheirFilesLoad) {
    test::TestFolder dir;
    const SetupRecord s = test::SetupAt(dir.Path());
    TmTableRemote remote;
    EXPECT_EQ(remote.PrepareSendFile(s, 4, 2, 7).size, 0);
    EXPECT_EQ(remote.PrepareSendFile(s, 5, 2, 0).size, 0);

    dir.Write("Name/ZEBU_NME.DAU", test::ReadTestData("convert/ZEBU_NME.DAU"));
    const FileTarget names = remote.PrepareSendFile(s, 4, 2, 7);
    EXPECT_EQ(names.path, dir.FilePath("Name/ZEBU_NME.DAU"));
    EXPECT_EQ(names.size, 71742);
    EXPECT_EQ(remote.Tables().Descriptions().At(Side::Source, 1).Text(), "VTR-A");

    // Only alias file 3 is there: it is sent, and the other tables go out empty.
    remote.Tables().Aliases().Table(1).At(Side::Source, 1).SetText("STALE");
    AliasTables aliases;
    aliases.Table(3).At(Side::Destination, 5).SetText("THREE");
    dir.Write("Name/ZEBU_ALS3.DAU", aliases.SaveDau(3));
    const FileTarget alias = remote.PrepareSendFile(s, 5, 2, 0);
    EXPECT_EQ(alias.path, dir.FilePath("Name/ZEBU_ALS1.DAU"));
    EXPECT_EQ(alias.size, 66048);
    EXPECT_TRUE(remote.Tables().Aliases().Table(1).At(Side::Source, 1).IsEmpty());
    EXPECT_EQ(remote.Tables().Aliases().Table(3).At(Side::Destination, 5).Text(), "THREE");
}

} // namespace
} // namespace qdv
