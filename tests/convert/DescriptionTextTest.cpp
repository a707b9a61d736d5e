#include "convert/DescriptionText.h"
#include "ConvertFixture.h"
#include "convert/AliasTables.h"
#include "convert/DescriptionConverter.h"
#include "convert/DescriptionTable.h"
#include "convert/TerminalLabels.h"
#include "convert/TerminalTextCodec.h"
#include "store/DataImage.h"
#include "support/TestFolder.h"

#include <QFile>
#include <gtest/gtest.h>

namespace qdv {
namespace {

TEST(DescriptionText, longAndShortFormsMatchTheirGoldenFiles) {
    TerminalLabels labels;
    labels.Build(test::FixtureStdText());
    DescriptionTable descriptions;
    AliasTables aliases;
    test::FillFixtureNames(&descriptions, &aliases);
    EXPECT_TRUE(test::MatchesGolden("description_long.csv",
                                    DescriptionText::LongForm(labels, descriptions, aliases)));
    EXPECT_TRUE(
        test::MatchesGolden("description_short.txt", DescriptionText::ShortForm(labels, descriptions)));
}

TEST(DescriptionText, importTakesDescriptionAndAliasesFromSAndDLines) {
    struct Case {
        const char* name;
        QByteArray text;
        Side side;
        int n;
        QByteArray description; // expected after import over "OLD" / alias 1 "OLD1" / alias 2 "OLD2"
        QByteArray alias1 = "OLD1";
        QByteArray alias2 = "OLD2";
    } cases[] = {
        {"spaces are dropped", "S5,VTR,005,CAM A,X\r\n", Side::Source, 5, "CAMA", "X", "OLD2"},
        {"three fields empty the description", "D7,VTR,007\r\n", Side::Destination, 7, ""},
        {"a trailing comma is no field", "D7,VTR,007,\r\n", Side::Destination, 7, ""},
        {"empty alias fields clear", "S5,,,D,,B\r\n", Side::Source, 5, "D", "", "B"},
        {"two fields change nothing", "S5,VTR\r\n", Side::Source, 5, "OLD"},
        {"line feeds end lines", "S4,A,B,C\nS5,VTR,005,NEW\n", Side::Source, 5, "NEW"},
        {"a carriage return alone ends a line", "S5,A,B,NEW\rS6,A,B,C\r", Side::Source, 5, "NEW"},
        {"a byte-order mark is skipped", "\xEF\xBB\xBFS5,A,B,NEW\r\n", Side::Source, 5, "NEW"},
        {"UTF-8 half-width katakana become their bytes, labels aside",
         "S5,\xC3\xA9,,\xEF\xBD\xB6\xEF\xBE\x92\xEF\xBE\x97,\xEF\xBD\xB1\r\n", Side::Source, 5,
         "\xB6\xD2\xD7", "\xB1", "OLD2"},
        {"raw 8-bit katakana stay as they stand", "S5,A,B,\xB6\xD2\xD7,\xC3\xA9\r\n", Side::Source, 5,
         "\xB6\xD2\xD7", "\xC3\xA9", "OLD2"},
        {"UTF-8 is cut at 16 characters", "S5,A,B," + QByteArray("\xEF\xBD\xB1").repeated(17) + "\r\n",
         Side::Source, 5, QByteArray("\xB1", 1).repeated(16)},
        {"a last line without CR is ignored", "S4,A,B,C\r\nS5,VTR,005,NEW", Side::Source, 5, "OLD"},
        {"T lines are skipped", "T5,VTR,005,NEW\r\n", Side::Source, 5, "OLD"},
        {"terminal 0 is skipped", "S0,VTR,000,NEW\r\n", Side::Source, 5, "OLD"},
        {"terminal 1025 is skipped", "D1025,A,B,NEW\r\n", Side::Destination, 1024, "OLD"},
        {"last terminal", "D1024,A,B,NEW\r\n", Side::Destination, 1024, "NEW"},
        {"long texts are cut to 16", "S5,A,B,ABCDEFGHIJKLMNOPQRSTUVWXYZ,0123456789abcdefXYZ\r\n",
         Side::Source, 5, "ABCDEFGHIJKLMNOP", "0123456789abcdef", "OLD2"},
        {"an over-long line is read whole", "S5,A,B,NEW," + QByteArray(5000, 'x') + ",Y\r\nS6,A,B,C\r\n",
         Side::Source, 5, "NEW", "xxxxxxxxxxxxxxxx", "Y"},
    };
    for (const Case& c : cases) {
        DescriptionTable d;
        AliasTables a;
        d.At(c.side, c.n).SetText("OLD");
        a.Table(1).At(c.side, c.n).SetText("OLD1");
        a.Table(2).At(c.side, c.n).SetText("OLD2");
        DescriptionText::Import(c.text, &d, &a);
        EXPECT_EQ(d.At(c.side, c.n).Text(), c.description) << c.name;
        EXPECT_EQ(a.Table(1).At(c.side, c.n).Text(), c.alias1) << c.name;
        EXPECT_EQ(a.Table(2).At(c.side, c.n).Text(), c.alias2) << c.name;
    }
}

TEST(DescriptionText, importCountsWhatItReadAndRefusesCharactersTheControllerCannotStore) {
    DescriptionTable d;
    AliasTables a;
    const DescriptionImport read = DescriptionText::Import(
        "T1,VTR\r\nS1,,,A\r\nS1,,,B\r\nS2,,,C,x,y\r\nD9,,,D\r\nL1,0001,S1\r\n", &d, &a);
    EXPECT_EQ(read.sources, 2);
    EXPECT_EQ(read.destinations, 1);
    EXPECT_EQ(read.aliasTables, 2);
    EXPECT_TRUE(read.refusal.isEmpty());

    const std::pair<QByteArray, const char*> refused[] = {
        {"D3,,,A,,\xE3\x82\xAB\n", "line 1, destination 3: \"\u30AB\" (U+30AB)"}, // full-width katakana
        {"S1,,,\xF0\x9F\x93\xBA\r\n", "line 1, source 1: \"\U0001F4FA\" (U+1F4FA)"},
    };
    for (const auto& [text, refusal] : refused) {
        DescriptionTable descriptions;
        AliasTables aliases;
        descriptions.At(Side::Source, 1).SetText("OLD");
        const DescriptionImport r = DescriptionText::Import(text, &descriptions, &aliases);
        EXPECT_TRUE(r.refusal.startsWith(QString::fromUtf8(refusal))) << r.refusal.toStdString();
        EXPECT_EQ(descriptions.At(Side::Source, 1).Text(), "OLD") << refusal;
    }
}

TEST(TerminalLabels, entriesDecodeInBothNumberingForms) {
    struct Case {
        const char* name;
        int j;
        bool flag;
        unsigned char b[4];
        int type, number, second;
    } cases[] = {
        {"source 300, packed decimal", 299, false, {0x13, 0x45, 0x00, 0x00}, 1, 345, 0},
        {"source 300, binary with the flag set", 299, true, {0x13, 0x45, 0x00, 0x00}, 1, 837, 0},
        {"bit 3 selects types 17..32", 299, true, {0x1B, 0x45, 0x00, 0x00}, 17, 0x345, 0},
        {"second half is binary whatever the flag", 700, false, {0xF9, 0xFF, 0x00, 0x00}, 31, 0x1FF, 0},
        {"second number keeps 12 bits", 0, false, {0x00, 0x00, 0xF1, 0x23}, 0, 0, 0x123},
        {"packed digits above 9 still count", 0, false, {0x0F, 0xFF, 0x00, 0x00}, 0, 1665, 0},
    };
    for (const Case& c : cases) {
        const TerminalLabel l = TerminalLabels::DecodeEntry(c.j, c.flag, c.b);
        EXPECT_EQ(l.typeIndex, c.type) << c.name;
        EXPECT_EQ(l.number, c.number) << c.name;
        EXPECT_EQ(l.secondNumber, c.second) << c.name;
    }
}

TEST(TerminalLabels, flagAtByte253OfTheSecondHalfSwitchesTheFirstHalfToBinary) {
    QByteArray img = image::Decode(test::FixtureStdText(), 16384);
    img[8192 + 253] = 1;
    TerminalLabels t;
    t.Build(test::FixtureStdText()); // flag clear: the golden text forms hold its labels
    EXPECT_EQ(t.Label(Side::Source, 300).secondNumber, 0x123);
    EXPECT_EQ(t.Label(Side::Source, 5).secondNumber, 42)
        << "a terminal without label keeps its second number";
    t.Build(image::Encode(img));
    EXPECT_EQ(t.Label(Side::Source, 300).numberText, "837");
    EXPECT_EQ(t.Label(Side::Source, 513).numberText, "261");
}

TEST(TerminalLabels, shortFileLoadsWhatItHoldsAndLeavesTheRestEmpty) {
    const QByteArray full = test::FixtureStdText();
    // Cut inside source 300's entry (bytes 1452..1455): its first two bytes are there, the rest not.
    const qsizetype cut = image::CharOffsetOfByte(1454);
    TerminalLabels t;
    t.Build(full.left(cut));
    EXPECT_EQ(t.TypeName(1), "CAM ");
    EXPECT_EQ(t.Label(Side::Source, 2).numberText, "012");
    EXPECT_TRUE(t.Label(Side::Source, 300).IsEmpty());
    EXPECT_TRUE(t.TypeName(17).isEmpty());
    EXPECT_TRUE(t.Label(Side::Destination, 1).IsEmpty());

    t.Build(QByteArray("1"));
    EXPECT_TRUE(t.TypeName(0).isEmpty());
    EXPECT_TRUE(t.Label(Side::Source, 1).IsEmpty());
}

TEST(TerminalTextCodec, everyByteOfTheSetDecodesToItsCharacterAndBack) {
    for (int b = 0x01; b <= 0xFF; ++b) {
        const QByteArray bytes(1, static_cast<char>(b));
        const QString text = TerminalTextCodec::Decode(bytes);
        ASSERT_EQ(text.size(), 1);
        const char16_t u = text[0].unicode();
        if (b >= 0x20 && b <= 0x7E) {
            EXPECT_EQ(u, b);
        } else if (b >= 0xA1 && b <= 0xDF) {
            EXPECT_EQ(u, 0xFF61 + (b - 0xA1)) << b;
        } else {
            EXPECT_EQ(TerminalTextCodec::Display(bytes), QString(QChar(0xFFFD))) << b;
        }
        QByteArray back;
        ASSERT_TRUE(TerminalTextCodec::Encode(text, &back)) << b;
        EXPECT_EQ(back, bytes) << b;
    }
}

TEST(TerminalTextCodec, charactersOutsideTheSetAreRefusedNotChanged) {
    const std::pair<QString, qsizetype> cases[] = {
        {QStringLiteral("CAM 1"), -1},
        {QString::fromUtf8("\xEF\xBD\xB6\xEF\xBE\x92\xEF\xBE\x97"), -1}, // half-width "kamera"
        {QString::fromUtf8("CAM\xC3\xA9"), 3},                           // e acute
        {QString::fromUtf8("\xE3\x82\xAB"), 0},                          // full-width katakana
        {QStringLiteral("\tCAM"), 0},
        {QString(QChar(0xE000)), 0}, // a kept NUL would end the text
    };
    for (const auto& [text, refused] : cases) {
        EXPECT_EQ(TerminalTextCodec::FirstRefused(text), refused) << text.toStdString();
        QByteArray bytes = "untouched";
        EXPECT_EQ(TerminalTextCodec::Encode(text, &bytes), refused < 0);
        if (refused >= 0) {
            EXPECT_EQ(bytes, "untouched");
        }
    }
}

TEST(DescriptionConverter, convertsTheShortFormIntoTheGoldenFileWhoseChangeListHoldsTheFirst160Lines) {
    DescriptionConverter c;
    QByteArray dau;
    ASSERT_EQ(c.Convert(test::ReadTestData("convert/description_short.txt"), test::FixtureStdText(), &dau),
              ConverterResult{});
    EXPECT_TRUE(test::MatchesGolden("ZEBU_NME.DAU", dau));
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
