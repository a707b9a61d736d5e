#include "sim/SampleDataSet.h"
#include "store/DataImage.h"
#include "support/SimProcess.h"
#include "support/TestFolder.h"

#include <QTcpServer>
#include <gtest/gtest.h>

namespace qdv::test {
namespace {

const QStringList kNameFiles = {"Name/ZEBU_NME.DAU",  "Name/ZEBU_ALS1.DAU", "Name/ZEBU_ALS2.DAU",
                                "Name/ZEBU_ALS3.DAU", "Name/ZEBU_ALS4.DAU", "Name/ZEBU_ALS5.DAU",
                                "Name/ZEBU_ALS6.DAU", "Name/ZEBU_ALS7.DAU", "XPoint/ZEBU_XPT.DAU"};

// A home whose one setup keeps the sample data set; `import` and `export` through qdv70cli.
struct ImportHome {
    TestFolder dir;

    ImportHome() {
        EXPECT_TRUE(WriteSampleDataSet(dir.FilePath("backup"), nullptr));
        WriteLanHome(dir.FilePath("home"), dir.FilePath("backup"), 1);
    }
    CliRun Run(const QStringList& words) const {
        return RunCli(QStringList{"--home", dir.FilePath("home")} + words);
    }
    QString Text(const QString& name) const { return dir.FilePath(name); }
    QList<QByteArray> Files() const {
        QList<QByteArray> files;
        for (const QString& f : kNameFiles)
            files << dir.Read("backup/" + f);
        return files;
    }
    QByteArray Exported(const char* what) const {
        const CliRun r = Run({"export", what, Text("out.csv")});
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        return dir.Read("out.csv");
    }
};

QByteArray LfOnly(QByteArray text) {
    return text.replace("\r\n", "\n");
}

TEST(ImportCli, exportedTextsImportByteExactWhateverTheirLineEnds) {
    ImportHome h;
    // Type names holding a comma, a slash and a byte outside ASCII make labels the description text
    // cannot carry; they play no part in what is written.
    QByteArray std = h.dir.Read("backup/Primary/ZEBU_STD.DAU");
    std.replace(0, 8, "2C2FB6FF");
    h.dir.Write("backup/Primary/ZEBU_STD.DAU", std);
    const QList<QByteArray> before = h.Files();
    const QByteArray description = h.Exported("description");
    const QByteArray crosspoint = h.Exported("crosspoint");
    ASSERT_TRUE(description.contains("\r\nS1, /\xB6\xFF,001,VTR-"));

    struct Case {
        const char* name;
        const char* what;
        QByteArray text;
        const char* summary;
    } cases[] = {
        {"description, CR LF", "description", description,
         "1024 sources, 1024 destinations, 7 alias tables\n"},
        {"description, LF and mark", "description", "\xEF\xBB\xBF" + LfOnly(description),
         "1024 sources, 1024 destinations, 7 alias tables\n"},
        {"crosspoint, CR LF", "crosspoint", crosspoint, "8192 crosspoints, "},
        {"crosspoint, LF", "crosspoint", LfOnly(crosspoint), "8192 crosspoints, "},
    };
    for (const Case& c : cases) {
        h.dir.Write("in.csv", c.text);
        const CliRun r = h.Run({"import", c.what, h.Text("in.csv")});
        EXPECT_EQ(r.exitCode, 0) << c.name << ": " << r.err.toStdString();
        EXPECT_TRUE(r.out.contains(c.summary)) << c.name << ": " << r.out.toStdString();
        EXPECT_EQ(h.Files(), before) << c.name;
    }
}

TEST(ImportCli, anInputThatCannotBeReadAsAskedWritesNothing) {
    ImportHome h;
    const QByteArray crosspoint = h.Exported("crosspoint");
    const QByteArray description = h.Exported("description");
    const QList<QByteArray> before = h.Files();
    struct Case {
        const char* what;
        QByteArray text;
        const char* message;
    } cases[] = {
        {"description", crosspoint, "holds no line of description text"},
        {"crosspoint", description, "holds no line of crosspoint text"},
        {"description", "", "holds no line of description text"},
        // A character the controller has no 8-bit form for is named with its line and terminal.
        {"description", "T1,VTR\nS9,,,\xEF\xBD\xB6\nS10,,,Caf\xC3\xA9\n",
         "line 3, source 10: \"\u00E9\" (U+00E9)"},
    };
    for (const Case& c : cases) {
        h.dir.Write("in.csv", c.text);
        const CliRun r = h.Run({"import", c.what, h.Text("in.csv")});
        EXPECT_EQ(r.exitCode, 1) << c.message;
        EXPECT_TRUE(r.err.contains(c.message)) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
        EXPECT_EQ(h.Files(), before) << c.message;
    }
}

TEST(ImportCli, aTextNamingSomeTerminalsClearsOrKeepsTheOthersAsAsked) {
    ImportHome h;
    const QByteArray nme = h.dir.Read("backup/Name/ZEBU_NME.DAU");
    // Source 9 from a Linux spreadsheet: UTF-8 half-width katakana, LF.
    h.dir.Write("in.csv", "S9,,,\xEF\xBD\xB6\xEF\xBE\x92\xEF\xBE\x97,\xEF\xBD\xB1\n");
    const QByteArray katakana = image::Encode(QByteArray("\xB6\xD2\xD7", 3)).left(6);

    CliRun r = h.Run({"import", "description", "--keep-missing", h.Text("in.csv")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(": 1 sources, 0 destinations, 1 alias tables\n")) << r.out.toStdString();
    EXPECT_TRUE(r.err.contains("the other 2047 terminals keep their descriptions")) << r.err.toStdString();
    QByteArray kept = h.dir.Read("backup/Name/ZEBU_NME.DAU");
    // Source 9 is bytes 128..143 of the image, source 10 the next 16.
    EXPECT_EQ(kept.mid(image::CharOffsetOfByte(128), 6), katakana);
    EXPECT_EQ(kept.mid(image::CharOffsetOfByte(144), 32), nme.mid(image::CharOffsetOfByte(144), 32));

    r = h.Run({"import", "description", h.Text("in.csv")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("the other 2047 terminals were left empty")) << r.err.toStdString();
    const QByteArray cleared = h.dir.Read("backup/Name/ZEBU_NME.DAU");
    EXPECT_EQ(cleared.mid(image::CharOffsetOfByte(128), 6), katakana);
    EXPECT_EQ(cleared.mid(image::CharOffsetOfByte(144), 32), QByteArray(32, '0'));
}

} // namespace
} // namespace qdv::test
