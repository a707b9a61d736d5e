#include "convert/DescriptionConverter.h"
#include "ConvertFixture.h"
#include "convert/DescriptionTable.h"
#include "convert/DescriptionText.h"
#include "convert/TerminalLabels.h"
#include "store/DataImage.h"
#include "support/TestFolder.h"

#include <QFile>

#include <gtest/gtest.h>

namespace qdv {
namespace {

QByteArray FixtureShortForm() {
    TerminalLabels labels;
    labels.Build(test::FixtureStdText());
    DescriptionTable descriptions;
    AliasTables aliases;
    test::FillFixtureNames(&descriptions, &aliases);
    return DescriptionText::ShortForm(labels, descriptions);
}

TEST(DescriptionConverter, convertsTheShortFormIntoTheGoldenDescriptionFile) {
    DescriptionConverter c;
    QByteArray dau;
    ASSERT_EQ(c.Convert(FixtureShortForm(), test::FixtureStdText(), &dau), ConverterResult{});
    EXPECT_TRUE(test::MatchesGolden("ZEBU_NME.DAU", dau));
}

TEST(DescriptionConverter, changeListHoldsTheFirst160ParsedLines) {
    DescriptionConverter c;
    QByteArray dau;
    ASSERT_EQ(c.Convert(FixtureShortForm(), test::FixtureStdText(), &dau).code, 0);
    QByteArray lines; // 1..160, two bytes each, high byte first
    for (int n = 1; n <= 160; ++n)
        lines += QByteArray::fromHex(QByteArray::number(n, 16).rightJustified(4, '0'));
    const QByteArray img = image::Decode(dau, DescriptionTable::kNmeImageSize);
    EXPECT_EQ(img.mid(32768, 256), QByteArray(256, '\0'));
    EXPECT_EQ(img.mid(33024, 8), QByteArray::fromHex("A000000000000000"));
    EXPECT_EQ(img.mid(33032, 320), lines);
    EXPECT_EQ(img.mid(33032 + 320), QByteArray(7 * 320, '\0'));

    // A destination entry carries bit 15; a short list gives its own count.
    ASSERT_EQ(c.Convert("D3,,,X\r\nS9,,,Y\r\n", test::FixtureStdText(), &dau).code, 0);
    const QByteArray img2 = image::Decode(dau, DescriptionTable::kNmeImageSize);
    EXPECT_EQ(img2.mid(33024, 1), QByteArray::fromHex("02"));
    EXPECT_EQ(img2.mid(33032, 6), QByteArray::fromHex("800300090000"));
}

TEST(DescriptionConverter, acceptsWhatTheDeviceCanHold) {
    struct Case {
        const char* name;
        QByteArray line;
        Side side;
        int n;
        QByteArray description;
    } cases[] = {
        {"16 characters fill the slot", "S7,VTR ,007,0123456789ABCDEF", Side::Source, 7, "0123456789ABCDEF"},
        {"a comment after / is cut off", "D8,,,AB/CD", Side::Destination, 8, "AB"},
        {"blanks around the first field", " \tS9 \t,,,X", Side::Source, 9, "X"},
        {"leading tabs and one closing tab", "S10,,,\t\tX Y\t", Side::Source, 10, "X Y"},
        {"katakana bytes", "S11,,,\xA0\xDF", Side::Source, 11, "\xA0\xDF"},
        {"commas after the third belong to the text", "S12,A,B,C,D", Side::Source, 12, "C,D"},
        {"a last line without line end keeps its last character", "S13,,,ABC", Side::Source, 13, "ABC"},
    };
    for (const Case& c : cases) {
        DescriptionConverter conv;
        QByteArray dau;
        EXPECT_EQ(conv.Convert(c.line, test::FixtureStdText(), &dau).code, 0) << c.name;
        DescriptionTable back;
        ASSERT_TRUE(back.LoadDau(dau)) << c.name;
        EXPECT_EQ(back.At(c.side, c.n).Text(), c.description) << c.name;
    }
}

TEST(DescriptionConverter, refusesABadLineWithItsMessageAndWritesNothing) {
    const char* syntax = "Declaration syntax error.";
    struct Case {
        const char* name;
        QByteArray text; // its last line is the refused one
        const char* error;
        int line = 1;
    } cases[] = {
        {"17 characters", "S1,,,ABCDEFGHIJKLMNOPQ", syntax},
        {"a character between 127 and 159", "S1,,,AB\x85", syntax},
        {"a character above 223", "S1,,,\xE0", syntax},
        {"text after a closing tab", "S1,,,A\tB", syntax},
        {"no S or D", "X1,,,A", syntax},
        {"fewer than three commas", "S1,VTR,001", syntax},
        {"a lower-case letter", "s1,,,A", syntax},
        {"a letter after the number", "S1x,,,A", syntax},
        {"labels over 32 characters", "S1," + QByteArray(17, 'a') + ',' + QByteArray(16, 'b') + ",A", syntax},
        {"a control character in a label", "S1,V\x01,,A", syntax},
        {"source 0", "S0,,,A", "Source terminal number error."},
        {"source 1025", "S1025,,,A", "Source terminal number error."},
        {"destination 1025", "D01025,,,A", "Destination terminal number error."},
        {"line numbers count blank and comment lines, not T lines",
         "T1,VTR \r\nS1,,,A\r\n\r\n/ note\r\nT2,CAM \r\nD2,,,B\r\nD3,,,ABCDEFGHIJKLMNOPQR", syntax, 5},
    };
    for (const Case& c : cases) {
        DescriptionConverter conv;
        QByteArray dau = "untouched";
        const ConverterResult r = conv.Convert(c.text + "\r\n", test::FixtureStdText(), &dau);
        const QByteArray refused = c.text.mid(c.text.lastIndexOf('\n') + 1);
        EXPECT_EQ(r.code, DescriptionConverter::kBadLine) << c.name;
        EXPECT_EQ(r.message, "'" + refused + "'error(L" + QByteArray::number(c.line) + "): " + c.error)
            << c.name;
        EXPECT_TRUE(dau.isEmpty()) << c.name;
    }
}

TEST(DescriptionConverter, checksTheStandardSettingsFileFirst) {
    const QByteArray good = test::FixtureStdText();
    QByteArray lower = good;
    lower[20] = 'a';
    QByteArray junk = good;
    junk[8192 * 2 / 256 * 258 + 600] = 'G'; // in the second half's entries
    struct Case {
        const char* name;
        QByteArray std;
        int code;
        const char* message;
    } cases[] = {
        {"cut before the numbering flag", good.left(1000), 5, "error: Input file length unmatch."},
        {"cut in the second half's sources", good.left(20000), 5, "error: Input file length unmatch."},
        {"cut in the second half's destinations", good.left(26000), 6,
         "error: Can't convert for illegal character."},
        {"lower-case digit", lower, 6, "error: Can't convert for illegal character."},
        {"other character", junk, 6, "error: Can't convert for illegal character."},
        {"whole file without its tail", good.left(26400), 0, ""},
    };
    for (const Case& c : cases) {
        DescriptionConverter conv;
        QByteArray dau;
        const ConverterResult r = conv.Convert("S1,,,A\r\n", c.std, &dau);
        EXPECT_EQ(r.code, c.code) << c.name;
        EXPECT_EQ(r.message, c.message) << c.name;
    }
}

TEST(DescriptionConverter, fileEntryReportsFilesByPathAndKeepsTheOutputOnFailure) {
    test::TestFolder dir;
    dir.Write("ZEBU_STD.DAU", test::FixtureStdText());
    dir.Write("ZEBU_NME.DAU", "previous");
    const QString in = dir.FilePath("in.txt");
    const QString std = dir.FilePath("ZEBU_STD.DAU");
    const QString out = dir.FilePath("ZEBU_NME.DAU");
    DescriptionConverter c;

    EXPECT_EQ(c.ConvertDescriptionText(in, std, out),
              (ConverterResult{2, "error: Unable to open file '" + QFile::encodeName(in) + "'."}));
    EXPECT_EQ(c.ConvertDescriptionText({}, std, out),
              (ConverterResult{1, "Usage: txtoxpt [input InFile name]"}));

    dir.Write("in.txt", "T1,VTR \r\nT2,CAM \r\n");
    EXPECT_EQ(c.ConvertDescriptionText(in, std, out), ConverterResult{});
    EXPECT_EQ(dir.Read("ZEBU_NME.DAU"), "previous") << "only T lines: nothing to write";

    dir.Write("in.txt", "S1,,,OK\r\n");
    EXPECT_EQ(c.ConvertDescriptionText(in, std, dir.FilePath("missing/ZEBU_NME.DAU")),
              (ConverterResult{4, "error: Unable to write output file '" +
                                      QFile::encodeName(dir.FilePath("missing/ZEBU_NME.DAU")) + "'."}));
}

} // namespace
} // namespace qdv
