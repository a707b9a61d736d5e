#include "store/IniFile.h"
#include "support/TestFolder.h"

#include <QDir>

#include <gtest/gtest.h>

#include <climits>

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

} // namespace
} // namespace qdv
