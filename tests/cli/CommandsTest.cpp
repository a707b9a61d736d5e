#include "cli/Commands.h"
#include "cli/CliContext.h"
#include "cli/CommandGroup.h"
#include "cli/Discover.h"
#include "cli/Help.h"
#include "history/GitHandle.h"
#include "sim/SampleDataSet.h"
#include "store/DataImage.h"
#include "support/QtPrinters.h"
#include "support/SimProcess.h"
#include "support/TestFolder.h"

#include <QFile>
#include <QJsonArray>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace qdv::cli {
namespace {

using test::CliRun;
using test::TestFolder;

// A context writing into strings.
struct Streams {
    QString out, err;
    QTextStream outStream{&out}, errStream{&err};
    CliContext ctx{outStream, errStream};
    int Flushed(int status) {
        outStream.flush();
        errStream.flush();
        return status;
    }
};

// A command with one option, one required and one optional argument, that records what it parsed.
class Probe : public Command {
public:
    Probe() : Command(QStringLiteral("probe"), QStringLiteral("Probe.")) {
        AddOption(
            QCommandLineOption(QStringLiteral("count"), QStringLiteral("how many"), QStringLiteral("N")));
        AddJsonOption(QStringLiteral("as JSON"));
        AddArgument(QStringLiteral("A"), QStringLiteral("first"));
        AddOptionalArgument(QStringLiteral("B"), QStringLiteral("second"));
    }
    int Execute(CliContext& ctx, const QStringList& arguments) override {
        if (const auto done = Parse(ctx, arguments))
            return *done;
        seen = Words();
        count = Parsed().value(QStringLiteral("count"));
        json = Json();
        return 7;
    }
    QStringList seen;
    QString count;
    bool json = false;
};

TEST(Command, parsesItsOwnOptionsAndArguments) {
    struct Case {
        QStringList words;
        int status;
        QStringList seen;
    };
    const Case cases[] = {
        {{"probe", "a"}, 7, {"a"}},
        {{"probe", "a", "b", "--json", "--count", "3"}, 7, {"a", "b"}},
        {{"probe", "--count=4", "a"}, 7, {"a"}},
        {{"probe"}, 2, {}},                 // missing A
        {{"probe", "a", "b", "c"}, 2, {}},  // one word too many
        {{"probe", "a", "--bogus"}, 2, {}}, // unknown option
        {{"probe", "a", "--count"}, 2, {}}, // option without its value
        {{"probe", "--help"}, 0, {}},
        {{"probe", "a", "-h"}, 0, {}},
    };
    for (const Case& c : cases) {
        Streams s;
        Probe p;
        EXPECT_EQ(s.Flushed(p.Execute(s.ctx, c.words)), c.status) << c.words.join(' ').toStdString();
        EXPECT_EQ(p.seen, c.seen) << c.words.join(' ').toStdString();
        if (c.status == 2) {
            EXPECT_TRUE(s.err.contains("usage: qdv70cli")) << s.err.toStdString();
        }
        if (c.status == 0) {
            EXPECT_TRUE(s.out.contains("--count N")) << s.out.toStdString();
        }
    }
    Streams s;
    Probe p;
    p.Execute(s.ctx, {"probe", "x", "--json", "--count", "9"});
    EXPECT_EQ(p.count, "9");
    EXPECT_TRUE(p.json);
}

TEST(CommandGroup, runsVerbsTheDefaultVerbAndRefusesUnknownOnes) {
    CommandGroup group(QStringLiteral("things"), QStringLiteral("Things."));
    group.AddVerb(std::make_unique<Probe>(), true);
    struct Case {
        QStringList words;
        int status;
    };
    const Case cases[] = {
        {{"things", "probe", "a"}, 7},
        {{"things", "--help"}, 0},
        {{"things", "nope"}, 2},
        {{"things", "probe"}, 2}, // the verb's own usage error
    };
    for (const Case& c : cases) {
        Streams s;
        EXPECT_EQ(s.Flushed(group.Execute(s.ctx, c.words)), c.status) << c.words.join(' ').toStdString();
    }
    // Without a verb the default one runs with the group's remaining words as its options.
    Streams s;
    EXPECT_EQ(s.Flushed(group.Execute(s.ctx, {"things"})), 2); // the default verb needs A
    EXPECT_TRUE(s.err.contains("things probe")) << s.err.toStdString();
}

// A device's answer is shown in the table with its control characters escaped (they moved the cursor
// and cleared the terminal), and a capped count of late devices says it is a lower bound.
TEST(Discover, tableTextIsEscapedAndCappedCountsSaySo) {
    EXPECT_EQ(Discover::TableText(QString::fromUtf8("Hall\x1b[2J\u00e9\\\x7f\u0085")),
              QString::fromUtf8("Hall\\x1b[2J\u00e9\\\\\\x7f\\x85"));
    EXPECT_EQ(Discover::MoreDevicesNote(4096),
              "at least 4096 more devices answered; only the first 256 are kept");
}

// Every command and every verb of a group has its section in the manual page, and `help` lists every
// command: a command added without its documentation fails here.
TEST(Commands, everyCommandIsInTheHelpAndTheManualPage) {
    QFile man(QStringLiteral(QDV70CLI_MAN_PAGE));
    ASSERT_TRUE(man.open(QIODevice::ReadOnly));
    QStringList sections;
    for (const QString& line : QString::fromUtf8(man.readAll()).split('\n')) {
        if (line.startsWith(".SS \""))
            sections << line.mid(5).remove('"').remove('[').remove(']');
    }
    const auto documented = [&](const QString& path) {
        for (const QString& s : sections) {
            if (s == path || s.startsWith(path + ' '))
                return true;
        }
        return false;
    };
    const QString overview = Help::Overview();
    for (const auto& c : AllCommands()) {
        EXPECT_EQ(FindCommand(c->Name()), c.get());
        EXPECT_TRUE(overview.contains("  " + c->Name())) << c->Name().toStdString();
        if (const auto* g = dynamic_cast<const CommandGroup*>(c.get())) {
            for (const auto& v : g->Verbs())
                EXPECT_TRUE(documented(v->Path())) << v->Path().toStdString() << " not in the manual page";
        } else {
            EXPECT_TRUE(documented(c->Path())) << c->Path().toStdString() << " not in the manual page";
        }
    }
}

// A home folder "home" and, for a home made with a setup, its backup folder "backup". The verbs that need
// no device run on it in this process: the setups, import and export, and the history of a backup folder.
struct Home {
    TestFolder dir;

    // With `sampleSetup`: one setup "Sim", selected, whose backup folder holds the sample data set.
    explicit Home(bool sampleSetup = false) {
        dir.Write("home/QDV70COMM.INI", "[UDP]\nBROADCAST=127.255.255.255\n");
        if (!sampleSetup)
            return;
        EXPECT_TRUE(WriteSampleDataSet(dir.FilePath("backup"), nullptr));
        test::WriteLanHome(dir.FilePath("home"), dir.FilePath("backup"), 1);
    }
    CliRun operator()(const QStringList& words) const {
        Streams s;
        return {s.Flushed(RunCommandLine(s.ctx, QStringList{"--home", dir.FilePath("home")} + words)), s.out,
                s.err};
    }
    QString Path(const QString& name) const { return dir.FilePath(name); }
    QByteArray Backup(const QString& file) const { return dir.Read("backup/" + file); }
    // `text` written to in.csv, then imported.
    CliRun Import(const char* what, const QByteArray& text, const QStringList& options = {}) const {
        dir.Write("in.csv", text);
        return (*this)(QStringList{"import", what} + options + QStringList{Path("in.csv")});
    }
    QByteArray Exported(const char* what) const {
        const CliRun r = (*this)({"export", what, Path("out.csv")});
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        return dir.Read("out.csv");
    }
};

TEST(SetupsVerbs, everyVerbAgainstAWindowsFile) {
    Home h;
    h.dir.Write("home/QDV70LIST.INI", test::ReadTestData("store/QDV70LIST_windows.ini"));
    const auto setups = [&h](const QStringList& words) { return h(QStringList{"setups"} + words); };
    const auto show = [&](const QString& setup) { return setups({"show", setup}).out.split('\n'); };
    CliRun r = setups({"add", "--name", "Lab", "--dir", "/data/lab", "--lan", "127.0.0.9", "--port", "5000"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "3\n");
    for (const char* line : {"NAME=Lab", "DIR=/data/lab", "IP=127.0.0.9", "SELECT_LAN=1", "REOTE3=5000",
                             "SELECT_PRIMARY_BACKUP_FILE=255", "SELECT_BUTTON_SEND=63"})
        EXPECT_TRUE(show("Lab").contains(line)) << line;

    // Refusals change nothing. (What the setup editor refuses is its own tests' table; here each way a
    // refusal reaches the command line.)
    const QByteArray before = h.dir.Read("home/QDV70LIST.INI");
    const struct {
        QStringList words;
        int exitCode;
        QString message;
    } refusals[] = {
        {{"add", "--name", "Lab", "--dir", "/x", "--lan", "127.0.0.1"},
         1,
         "A setup with this Setup Name already exists."},
        {{"add", "--name", "X", "--dir", "/x", "--lan", "127.0.0.4", "--port", "70000"},
         1,
         "Please input a port number from 1 to 65535."},
        {{"set", "2", "--name", " \t "}, 1, "Please input Setup Name."},
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
    for (const auto& c : refusals) {
        r = setups(c.words);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.words.join(' ').toStdString() << ": " << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.message)) << r.err.toStdString();
    }
    // (A refused copy leaves its section behind the three the file counts; nothing reads it.)
    EXPECT_TRUE(h.dir.Read("home/QDV70LIST.INI").startsWith(before));
    EXPECT_EQ(setups({"list"}).out.count('\n'), 3);

    r = setups({"set", "Lab", "--com", "3", "--primary-files", "STD,IDX", "--buttons", "send=off,edit=F2"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    for (const char* line : {"SELECT_LAN=0", "COM=3", "IP=127.0.0.9", "SELECT_PRIMARY_BACKUP_FILE=129",
                             "SELECT_BUTTON_SEND_ALL=0", "SELECT_BUTTON_SEND=63", "SELECT_BUTTON_EDIT=2"})
        EXPECT_TRUE(show("3").contains(line)) << line;

    // The copy of setup 1 carries its font; moving and deleting keep each font with its setup.
    r = setups({"copy", "1"});
    EXPECT_EQ(r.out, "4\n") << r.err.toStdString();
    for (const QStringList& words : {QStringList{"move", "4", "up"}, {"select", "Lab"}, {"delete", "2"}})
        EXPECT_EQ(setups(words).exitCode, 0) << words.join(' ').toStdString();
    // The file's names are CP932: shown as such, and the copy's new name is written in CP932 too.
    EXPECT_EQ(setups({"list"}).out, "1\tStudio \u30B9\u30BF\u30B8\u30AA\tLAN,1001\t/srv/qdv70/studio\n"
                                    "2\tStudio \u30B9\u30BF\u30B8\u30AA (2)\tLAN,1001\t/srv/qdv70/studio\n"
                                    "3\tLab\tCOM3,38400\t/data/lab\t*\n");
    ASSERT_EQ(setups({"set", "Lab", "--dir", "/data/\u30E9\u30DC"}).exitCode, 0);
    EXPECT_TRUE(show("Lab").contains("DIR=/data/\u30E9\u30DC"));
    EXPECT_TRUE(show("2").contains("FONT_Name=Courier New") && show("2").contains("FONT_IsBold=1"));
    EXPECT_TRUE(show("Lab").contains("FONT_Name="));

    // What the file held besides the setups is still there.
    const QByteArray file = h.dir.Read("home/QDV70LIST.INI");
    for (const char* kept :
         {"; Written by the Windows program, then edited by hand\r\n", "OPERATOR=kept\r\n",
          "[VIEW]\r\n; not ours\r\nWidth=800\r\n", "REG=3\r\n", "[SELECT LIST]\r\nSETUP=2\r\n",
          "NAME=Studio \x83\x58\x83\x5E\x83\x57\x83\x49\r\n",
          "name=Studio \x83\x58\x83\x5E\x83\x57\x83\x49 (2)\r\n", "DIR=/data/\x83\x89\x83\x7B\r\n"})
        EXPECT_TRUE(file.contains(kept)) << kept;
}

// A name two setups share names neither: every command that takes a setup refuses it and touches no
// folder, while the number chooses one; the setup choices of status and notify-failure refuse too, and
// so do kinds that name none.
TEST(SetupsVerbs, aNameSeveralSetupsShareChoosesNone) {
    Home h;
    h.dir.Write("home/QDV70LIST.INI",
                "[SETUP]\r\nREG=3\r\n[SETUP_1]\r\nNAME=Dup\r\nDIR=" + h.Path("one").toUtf8() +
                    "\r\n[SETUP_2]\r\nNAME=Other\r\n[SETUP_3]\r\n"
                    "NAME=Dup\r\nDIR=" +
                    h.Path("three").toUtf8() + "\r\n");
    const QByteArray before = h.dir.Read("home/QDV70LIST.INI");
    const QString csv = h.Path("d.csv");
    h.dir.Write("d.csv", "S1,,,A\r\n");
    const QString several = "several setups are named Dup: 1, 3; use the number";
    const struct {
        QStringList words;
        QString message;
    } uses[] = {
        {{"--setup", "Dup", "export", "description", csv}, several},
        {{"--setup", "Dup", "import", "description", csv}, several},
        {{"--setup", "Dup", "receive", "description"}, several},
        {{"--setup", "Dup", "send", "crosspoint"}, several},
        {{"setups", "show", "Dup"}, several},
        {{"setups", "delete", "Dup"}, several},
        {{"status", "--setup", "Dup"}, several},
        {{"status", "--setup", "1", "--all-setups"}, "--setup and --all-setups exclude each other"},
        {{"notify-failure", "--setup", "1", "--setup", "3"}, "notify-failure takes one setup"},
        {{"backup", "--setup", "Nowhere"}, "unknown setup: Nowhere"},
        {{"backup", "--kinds", "everything"}, "unknown kind: everything"},
        {{"backup", "--kinds", ","}, "--kinds names no kind"},
        {{"receive", "everything"}, "receive takes one of: description, crosspoint, primary"},
    };
    for (const auto& c : uses) {
        const CliRun r = h(c.words);
        EXPECT_EQ(r.exitCode, 2) << c.words.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(c.message)) << r.err.toStdString();
    }
    EXPECT_FALSE(h.dir.Exists("one/Name") || h.dir.Exists("three/Name"));
    EXPECT_EQ(h.dir.Read("home/QDV70LIST.INI"), before);
    const CliRun byNumber = h({"--setup", "3", "export", "description", csv});
    EXPECT_EQ(byNumber.exitCode, 0) << byNumber.err.toStdString();
}

// The description, alias and crosspoint files of the backup folder.
QList<QByteArray> NameFiles(const Home& h) {
    QList<QByteArray> files{h.Backup("Name/ZEBU_NME.DAU"), h.Backup("XPoint/ZEBU_XPT.DAU")};
    for (int k = 1; k <= 7; ++k)
        files << h.Backup(QStringLiteral("Name/ZEBU_ALS%1.DAU").arg(k));
    return files;
}

// Exported texts import again byte for byte, whatever their line ends; a text that cannot be read as
// asked writes nothing at all.
TEST(ImportVerb, exportedTextsImportByteExactAndUnreadableOnesWriteNothing) {
    const Home h(true);
    // Type names holding a comma, a slash and a byte outside ASCII make labels the description text
    // cannot carry; they play no part in what is written.
    QByteArray std = h.Backup("Primary/ZEBU_STD.DAU");
    h.dir.Write("backup/Primary/ZEBU_STD.DAU", std.replace(0, 8, "2C2FB6FF"));
    const QList<QByteArray> before = NameFiles(h);
    const QByteArray description = h.Exported("description");
    const QByteArray crosspoint = h.Exported("crosspoint");
    ASSERT_TRUE(description.contains("\r\nS1, /\xB6\xFF,001,VTR-"));
    const QByteArray names = "1024 sources, 1024 destinations, 7 alias tables\n";
    const struct {
        const char* what;
        QByteArray text;
        int exitCode;
        QByteArray said; // on stdout when the import succeeds, else on stderr
    } cases[] = {
        {"description", description, 0, names},
        {"description", "\xEF\xBB\xBF" + QByteArray(description).replace("\r\n", "\n"), 0, names},
        {"crosspoint", crosspoint, 0, "8192 crosspoints, "},
        {"crosspoint", QByteArray(crosspoint).replace("\r\n", "\n"), 0, "8192 crosspoints, "},
        {"description", crosspoint, 1, "holds no line of description text"},
        {"crosspoint", description, 1, "holds no line of crosspoint text"},
        {"description", "", 1, "holds no line of description text"},
        // A character the controller has no 8-bit form for is named with its line and terminal.
        {"description", "T1,VTR\nS9,,,\xEF\xBD\xB6\nS10,,,Caf\xC3\xA9\n", 1,
         "line 3, source 10: \"\u00E9\" (U+00E9)"},
    };
    for (const auto& c : cases) {
        const CliRun r = h.Import(c.what, c.text);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.said.constData() << ": " << r.err.toStdString();
        EXPECT_TRUE((c.exitCode == 0 ? r.out : r.err).contains(QString::fromUtf8(c.said)))
            << r.out.toStdString() << r.err.toStdString();
        EXPECT_TRUE(c.exitCode == 0 || r.out.isEmpty()) << r.out.toStdString();
        EXPECT_EQ(NameFiles(h), before) << c.said.constData();
    }
}

TEST(ImportVerb, aTextNamingSomeTerminalsClearsOrKeepsTheOthersAsAsked) {
    const Home h(true);
    const QByteArray nme = h.Backup("Name/ZEBU_NME.DAU");
    // Source 9 from a Linux spreadsheet: UTF-8 half-width katakana, LF.
    const QByteArray text = "S9,,,\xEF\xBD\xB6\xEF\xBE\x92\xEF\xBE\x97,\xEF\xBD\xB1\n";
    const QByteArray katakana = image::Encode(QByteArray("\xB6\xD2\xD7", 3)).left(6);
    // Source 9 is bytes 128..143 of the image, source 10 the next 16.
    const int source10 = image::CharOffsetOfByte(144);

    CliRun r = h.Import("description", text, {"--keep-missing"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(": 1 sources, 0 destinations, 1 alias tables\n")) << r.out.toStdString();
    EXPECT_TRUE(r.err.contains("the other 2047 terminals keep their descriptions")) << r.err.toStdString();
    EXPECT_EQ(h.Backup("Name/ZEBU_NME.DAU").mid(image::CharOffsetOfByte(128), 6), katakana);
    EXPECT_EQ(h.Backup("Name/ZEBU_NME.DAU").mid(source10, 32), nme.mid(source10, 32));

    r = h.Import("description", text);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("the other 2047 terminals were left empty")) << r.err.toStdString();
    EXPECT_EQ(h.Backup("Name/ZEBU_NME.DAU").mid(image::CharOffsetOfByte(128), 6), katakana);
    EXPECT_EQ(h.Backup("Name/ZEBU_NME.DAU").mid(source10, 32), QByteArray(32, '0'));
}

// Snapshots made by imports: the history lists them, verify finds what changed behind the program's
// back, and restore brings back the first snapshot (the diff by meaning is tested against the simulator).
TEST(HistoryVerbs, historyVerifyAndRestore) {
    const Home h(true);
    const QStringList files = {"Primary/ZEBU_GPH.DAU", "Primary/ZEBU_TLN.DAU", "XPoint/ZEBU_XPT.DAU"};
    QList<QByteArray> first;
    for (const QString& f : files)
        first << h.Backup(f);
    ASSERT_EQ(h.Import("crosspoint", h.Exported("crosspoint")).exitCode, 0); // the first snapshot
    ASSERT_EQ(h.Import("crosspoint", "L2,0005,S7\n").exitCode, 0);
    const QStringList lines = h({"history"}).Lines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(
        lines[0].contains(QRegularExpression("^[0-9a-f]{7,}  \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d  "
                                             "Import crosspoints  .*XPoint/ZEBU_XPT.DAU")))
        << lines[0].toStdString();
    EXPECT_EQ(h({"history", "-n", "1"}).out.count('\n'), 1);
    EXPECT_EQ(h({"history", "-n", "-1"}).exitCode, 2);

    // Behind the program's back: one byte of a file, and a file cut short.
    EXPECT_EQ(h({"verify"}).out, "clean: every data file matches the last snapshot and has its size\n");
    QByteArray gph = first[0];
    gph[5] = gph[5] == '0' ? '1' : '0';
    h.dir.Write("backup/Primary/ZEBU_GPH.DAU", gph);
    h.dir.Write("backup/Primary/ZEBU_TLN.DAU", "00\r\n");
    const CliRun verify = h({"verify"});
    EXPECT_EQ(verify.exitCode, 1);
    for (const char* line : {"Primary/ZEBU_GPH.DAU: changed outside the program\n",
                             "Primary/ZEBU_TLN.DAU: wrong size 4 (expected 1032)\n"})
        EXPECT_TRUE(verify.out.contains(line)) << verify.out.toStdString();
    EXPECT_EQ(h({"verify", "--json"}).Json()["clean"], false);

    const QString firstId = h({"history", "--json"}).Json().array().last()["id"].toString();
    const CliRun restore = h({"restore", firstId.left(8)});
    ASSERT_EQ(restore.exitCode, 0) << restore.err.toStdString();
    for (int i = 0; i < files.size(); ++i)
        EXPECT_EQ(h.Backup(files[i]), first[i]) << files[i].toStdString();
    const QJsonArray log = h({"history", "--json"}).Json().array();
    ASSERT_EQ(log.size(), 4); // two imports, the folder before the restore, the restore
    EXPECT_TRUE(log[0]["job"].toString().startsWith("Restore " + firstId.left(7)));
    EXPECT_EQ(h({"verify"}).exitCode, 0);
    EXPECT_EQ(h({"restore", "nonsense"}).exitCode, 1);
}

// A snapshot is pushed to the remote of [HISTORY] REMOTE without a word on stderr; a .git the program
// did not make is left alone, and said to be.
TEST(HistoryVerbs, snapshotIsPushedAndAForeignGitIsLeftAlone) {
    const Home h(true);
    const QString bare = h.Path("remote.git");
    history::EnsureGitLibrary();
    git_repository* repo = nullptr;
    ASSERT_EQ(git_repository_init(&repo, QFile::encodeName(bare).constData(), 1), 0);
    git_repository_free(repo);
    h.dir.Write("home/QDV70COMM.INI", "[UDP]\nBROADCAST=127.255.255.255\n[HISTORY]\nREMOTE=" + bare.toUtf8());
    const CliRun r = h.Import("crosspoint", h.Exported("crosspoint"));
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains("qdv70cli:")) << r.err.toStdString();
    EXPECT_EQ(h.dir.Read("remote.git/refs/heads/Sim").trimmed(),
              h({"history", "--json"}).Json().array().first()["id"].toString().toLatin1());

    const Home foreign(true);
    ASSERT_EQ(git_repository_init(&repo, QFile::encodeName(foreign.Path("backup")).constData(), 0), 0);
    git_repository_free(repo);
    const QByteArray config = foreign.Backup(".git/config");
    const CliRun left = foreign.Import("crosspoint", foreign.Exported("crosspoint"));
    EXPECT_EQ(left.exitCode, 0);
    EXPECT_TRUE(left.err.contains("left alone")) << left.err.toStdString();
    EXPECT_EQ(foreign.Backup(".git/config"), config);
    EXPECT_EQ(foreign({"history"}).exitCode, 1);
}

} // namespace
} // namespace qdv::cli
