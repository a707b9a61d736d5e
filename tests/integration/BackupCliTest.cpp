#include "SimProcess.h"

#include "sim/SampleDataSet.h"
#include "support/TestFolder.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace qdv::test {
namespace {

// Two setups, "Studio-A" and "Studio-B", each served by a simulator of its own; B's has `faultB`.
struct TwoPlants {
    TestFolder a, b, pc;
    std::unique_ptr<SimProcess> simA, simB;

    explicit TwoPlants(const QStringList& faultB) {
        QString error;
        EXPECT_TRUE(WriteSampleDataSet(a.Path(), &error)) << error.toStdString();
        EXPECT_TRUE(WriteSampleDataSet(b.Path(), &error)) << error.toStdString();
        simA = std::make_unique<SimProcess>(a.Path());
        simB = std::make_unique<SimProcess>(b.Path(), faultB);
        EXPECT_TRUE(simA->Ok() && simB->Ok());
        QString list = QStringLiteral("[SETUP]\nREG=2\n[SELECT LIST]\nSETUP=0\n");
        int n = 1;
        for (const auto& [name, port] : {std::pair{"Studio-A", simA->Port()}, {"Studio-B", simB->Port()}}) {
            list += QStringLiteral("[SETUP_%1]\nNAME=%2\nDIR=%3\nIP=127.0.0.1\nSELECT_LAN=1\nREOTE3=%4\n"
                                   "SELECT_PRIMARY_BACKUP_FILE=255\n")
                        .arg(n)
                        .arg(name, pc.FilePath(name))
                        .arg(port);
            ++n;
        }
        pc.Write("home/QDV70LIST.INI", list.toUtf8());
    }
    CliRun Backup(const QStringList& args) const {
        return RunCli(QStringList{"--home", pc.FilePath("home"), "backup"} + args);
    }
};

TEST(CliBackup, everySetupIsTriedAndTheSummaryTellsWhichFailed) {
    TwoPlants plants({"wrong-type"});
    const CliRun r = plants.Backup({"--all-setups", "--kinds", "description,crosspoint", "--json"});
    // The fault spoils only the first job of B.
    EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(r.out.toUtf8(), &parseError);
    ASSERT_TRUE(doc.isArray()) << parseError.errorString().toStdString() << r.out.toStdString();
    struct Want {
        const char* setup;
        const char* kind;
        bool ok;
        const char* missing;
    };
    const Want want[] = {{"Studio-A", "description", true, nullptr},
                         {"Studio-A", "crosspoint", true, nullptr},
                         {"Studio-B", "description", false, "ZEBU_NME.DAU"},
                         {"Studio-B", "crosspoint", true, nullptr}};
    const QJsonArray got = doc.array();
    ASSERT_EQ(got.size(), 4);
    for (int i = 0; i < 4; ++i) {
        const QJsonObject o = got[i].toObject();
        const Want& w = want[i];
        EXPECT_EQ(o["setup"].toString(), w.setup) << i;
        EXPECT_EQ(o["kind"].toString(), w.kind) << i;
        EXPECT_EQ(o["ok"].toBool(), w.ok) << i;
        if (w.ok) {
            EXPECT_TRUE(o["error"].isNull()) << i;
            EXPECT_TRUE(o["missing"].toArray().isEmpty()) << i;
        } else {
            EXPECT_EQ(o["error"].toString(), "Error(INDEX.)") << i;
            EXPECT_EQ(o["missing"].toArray(), QJsonArray{w.missing}) << i;
        }
    }
    EXPECT_EQ(plants.pc.Read("Studio-A/Name/ZEBU_NME.DAU"), plants.a.Read("Name/ZEBU_NME.DAU"));
    EXPECT_EQ(plants.pc.Read("Studio-A/XPoint/ZEBU_XPT.DAU"), plants.a.Read("XPoint/ZEBU_XPT.DAU"));
    // The log on stderr says which setup each file belongs to.
    for (const char* line :
         {"Studio-A: receive description\n  ZEBU_NME.DAU: received, ",
          "Studio-B: receive description\n  ZEBU_NME.DAU: failed after 0 bytes: Error(INDEX.)\n"}) {
        EXPECT_TRUE(r.err.contains(line)) << line << "\n" << r.err.toStdString();
    }
}

TEST(CliBackup, namedSetupsDefaultKindsAndUsageErrors) {
    TwoPlants plants({});
    const CliRun one = plants.Backup({"--setup", "Studio-B"});
    EXPECT_EQ(one.exitCode, 0) << one.err.toStdString();
    // Every Receive button the setup offers, Primary first, one summary line each.
    EXPECT_EQ(one.out, "Studio-B\tprimary\tOK\nStudio-B\tdescription\tOK\nStudio-B\tcrosspoint\tOK\n");
    EXPECT_FALSE(QDir(plants.pc.FilePath("Studio-A")).exists());

    const QStringList usage[] = {{"--kinds", "everything"},
                                 {"--kinds", ","},
                                 {"--setup", "Nowhere"},
                                 {"--setup", "Studio-A", "--all-setups"},
                                 {"extra"}};
    for (const QStringList& args : usage)
        EXPECT_EQ(plants.Backup(args).exitCode, 2) << args.join(' ').toStdString();
}

} // namespace
} // namespace qdv::test
