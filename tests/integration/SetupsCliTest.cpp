#include "support/QtPrinters.h"
#include "support/SimProcess.h"
#include "support/TestFolder.h"

#include <QFileInfo>
#include <gtest/gtest.h>

namespace qdv::test {
namespace {

// qdv70cli setups ... against a home folder holding the Windows-made QDV70LIST.INI of tests/data.
struct SetupsHome {
    SetupsHome() { home.Write("QDV70LIST.INI", ReadTestData("store/QDV70LIST_windows.ini")); }
    CliRun Run(const QStringList& words) const {
        return RunCli(QStringList{"--home", home.Path(), "setups"} + words);
    }
    QByteArray File() const { return home.Read("QDV70LIST.INI"); }
    QStringList Show(const QString& setup) const {
        return Run({"show", setup}).out.split('\n', Qt::SkipEmptyParts);
    }

    TestFolder home;
};

TEST(SetupsCli, everyVerbAgainstAWindowsFile) {
    SetupsHome h;
    CliRun r = h.Run({"add", "--name", "Lab", "--dir", "/data/lab", "--lan", "127.0.0.9", "--port", "5000"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "3\n");
    const QStringList lab = h.Show("Lab");
    for (const char* line : {"NAME=Lab", "DIR=/data/lab", "IP=127.0.0.9", "SELECT_LAN=1", "REOTE3=5000",
                             "SELECT_PRIMARY_BACKUP_FILE=255", "SELECT_BUTTON_SEND=63"})
        EXPECT_TRUE(lab.contains(line)) << line;

    // Refusals change nothing.
    const QByteArray before = h.File();
    struct Refusal {
        QStringList words;
        int exitCode;
        QString message;
    };
    const QString tooLong(260, 'n');
    const Refusal refusals[] = {
        {{"add", "--name", "Lab", "--dir", "/x", "--lan", "127.0.0.1"},
         1,
         "A setup with this Setup Name already exists."},
        {{"add", "--name", "X", "--dir", "/x", "--lan", "255.255.255.255"}, 1, "Error(Illegal IP ADDRESS.)"},
        {{"add", "--name", "X", "--dir", "/x", "--com", "16"},
         1,
         "Please choose a COM port from COM1 to COM15."},
        {{"add", "--name", "X", "--dir", "/x", "--lan", "127.0.0.4", "--port", "70000"},
         1,
         "Please input a port number from 1 to 65535."},
        {{"add", "--name", "", "--dir", "/x", "--com", "1"}, 1, "Please input Setup Name."},
        {{"add", "--name", tooLong, "--dir", "/x", "--com", "1"}, 1, "The Setup Name is too long"},
        {{"set", "Lab", "--dir", "/" + tooLong}, 1, "The Backup Data Path is too long"},
        {{"set", "Lab", "--lan", "127.1.2"}, 1, "Error(Illegal IP ADDRESS.)"},
        {{"copy", "Lab", "--name", "Lab"}, 1, "A setup with this Setup Name already exists."},
        {{"move", "1", "up"}, 1, "already the first"},
        {{"add", "--name", "X", "--dir", "/x"}, 2, "give --lan IP or --com N"},
        {{"add", "--name", "X", "--dir", "/x", "--lan", "127.0.0.4", "--com", "2"}, 2, "exclude each other"},
        {{"set", "Nowhere", "--name", "Y"}, 2, "unknown setup: Nowhere"},
        {{"set", "Lab", "--buttons", "view=on"}, 2, "buttons:"},
        {{"set", "Lab", "--primary-files", "XPT"}, 2, "primary files:"},
        {{"move", "Lab", "sideways"}, 2, "up or down"},
    };
    for (const Refusal& c : refusals) {
        r = h.Run(c.words);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.words.join(' ').toStdString() << ": " << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.message)) << r.err.toStdString();
    }
    EXPECT_EQ(h.File().left(before.indexOf("[SETUP_4]")), before.left(before.indexOf("[SETUP_4]")));
    EXPECT_TRUE(h.Run({"list"}).out.count('\n') == 3);

    r = h.Run({"set", "Lab", "--com", "3", "--primary-files", "STD,IDX", "--buttons", "send=off,edit=F2"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList changed = h.Show("3");
    for (const char* line : {"SELECT_LAN=0", "COM=3", "IP=127.0.0.9", "SELECT_PRIMARY_BACKUP_FILE=129",
                             "SELECT_BUTTON_SEND_ALL=0", "SELECT_BUTTON_SEND=63", "SELECT_BUTTON_EDIT=2"})
        EXPECT_TRUE(changed.contains(line)) << line;

    // The copy of setup 1 carries its font; moving and deleting keep each font with its setup.
    r = h.Run({"copy", "1"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "4\n");
    EXPECT_EQ(h.Run({"move", "4", "up"}).exitCode, 0);
    EXPECT_EQ(h.Run({"select", "Lab"}).exitCode, 0);
    EXPECT_EQ(h.Run({"delete", "2"}).exitCode, 0);
    // The file's names are CP932: shown as such, and the copy's new name is written in CP932 too.
    EXPECT_EQ(h.Run({"list"}).out, "1\tStudio \u30B9\u30BF\u30B8\u30AA\tLAN,1001\t/srv/qdv70/studio\n"
                                   "2\tStudio \u30B9\u30BF\u30B8\u30AA (2)\tLAN,1001\t/srv/qdv70/studio\n"
                                   "3\tLab\tCOM3,38400\t/data/lab\t*\n");
    ASSERT_EQ(h.Run({"set", "Lab", "--dir", "/data/\u30E9\u30DC"}).exitCode, 0);
    EXPECT_TRUE(h.Show("Lab").contains("DIR=/data/\u30E9\u30DC"));
    const QStringList copy = h.Show("2");
    EXPECT_TRUE(copy.contains("FONT_Name=Courier New") && copy.contains("FONT_IsBold=1"));
    EXPECT_TRUE(h.Show("Lab").contains("FONT_Name="));

    // What the file held besides the setups is still there.
    const QByteArray file = h.File();
    for (const char* kept :
         {"; Written by the Windows program, then edited by hand\r\n", "OPERATOR=kept\r\n",
          "[VIEW]\r\n; not ours\r\nWidth=800\r\n", "REG=3\r\n", "[SELECT LIST]\r\nSETUP=2\r\n",
          "NAME=Studio \x83\x58\x83\x5E\x83\x57\x83\x49\r\n",
          "name=Studio \x83\x58\x83\x5E\x83\x57\x83\x49 (2)\r\n", "DIR=/data/\x83\x89\x83\x7B\r\n"})
        EXPECT_TRUE(file.contains(kept)) << kept;
}

TEST(SetupsCli, aNameSeveralSetupsShareAndABlankNameAreRefused) {
    TestFolder home;
    home.Write("QDV70LIST.INI",
               "[SETUP]\r\nREG=3\r\n[SETUP_1]\r\nNAME=Dup\r\nDIR=" + home.FilePath("one").toUtf8() +
                   "\r\n[SETUP_2]\r\nNAME=Other\r\n[SETUP_3]\r\nNAME=Dup\r\nDIR=" +
                   home.FilePath("three").toUtf8() + "\r\n");
    const QByteArray before = home.Read("QDV70LIST.INI");
    const QString csv = home.FilePath("d.csv");
    home.Write("d.csv", "S1,,,A\r\n");
    const QStringList uses[] = {{"--setup", "Dup", "export", "description", csv},
                                {"--setup", "Dup", "import", "description", csv},
                                {"--setup", "Dup", "receive", "description"},
                                {"--setup", "Dup", "send", "crosspoint"},
                                {"setups", "show", "Dup"},
                                {"setups", "delete", "Dup"}};
    for (const QStringList& words : uses) {
        const CliRun r = RunCli(QStringList{"--home", home.Path()} + words);
        EXPECT_EQ(r.exitCode, 2) << words.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains("several setups are named Dup: 1, 3; use the number"))
            << r.err.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(home.FilePath("one/Name")) ||
                 QFileInfo::exists(home.FilePath("three/Name")));
    const CliRun byNumber = RunCli({"--home", home.Path(), "--setup", "3", "export", "description", csv});
    EXPECT_EQ(byNumber.exitCode, 0) << byNumber.err.toStdString();

    for (const QStringList& words :
         {QStringList{"setups", "add", "--name", "   ", "--dir", "/x", "--com", "1"},
          QStringList{"setups", "set", "2", "--name", " \t "}}) {
        const CliRun r = RunCli(QStringList{"--home", home.Path()} + words);
        EXPECT_EQ(r.exitCode, 1) << words.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains("Please input Setup Name.")) << r.err.toStdString();
    }
    EXPECT_EQ(home.Read("QDV70LIST.INI"), before);
}

} // namespace
} // namespace qdv::test
