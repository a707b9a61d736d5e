#include "cli/Commands.h"
#include "cli/CliContext.h"
#include "cli/CommandGroup.h"
#include "cli/Discover.h"
#include "cli/Help.h"

#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace qdv::cli {
namespace {

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

} // namespace
} // namespace qdv::cli
