#include "EndToEnd.h"
#include "netctl/TdrvFtp.h"
#include "support/TestFolder.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

#include <memory>

namespace qdv::test {
namespace {

constexpr const char* kUser = "admin";
constexpr const char* kPassword = "exchange-test";

std::unique_ptr<SimProcess> Python(const QStringList& args) {
    return std::make_unique<SimProcess>(SimProcess::Python{}, args);
}

std::unique_ptr<SimProcess> FtpServer(const QString& root, const QString& password = kPassword) {
    return Python(
        {"-m", "pyftpdlib", "-i", "127.0.0.1", "-p", "0", "-d", root, "-w", "-u", kUser, "-P", password});
}

// What stands in for parts of the network controller instead of qdv70sim and the FTP server.
struct Hostile {
    int getInfoDepth = 0; // a GetInfo answer nested this deep
    QString endlessFile;  // the FTP server sends this file without end
};

// The sample plant served by qdv70sim as a network controller (XML exchange, with the packet protocol
// beside it) and by an FTP server, and a PC home whose LAN setup points at both.
struct NetCtlRig : EndToEnd {
    std::unique_ptr<SimProcess> ftp, hostile;

    explicit NetCtlRig(const QStringList& faults = {}, const QString& ftpPassword = kPassword,
                       const Hostile& peer = {}, int primaryMask = 255)
        : EndToEnd(faults, Carrier::Tcp, {"--netctl"}) {
        const QString hostilePeer = QStringLiteral(HOSTILE_PEER_PATH);
        if (peer.getInfoDepth > 0)
            hostile = Python({hostilePeer, "getinfo", QString::number(peer.getInfoDepth)});
        const quint16 getInfoPort = hostile ? hostile->Port() : sim->GetInfoPort();
        ftp = peer.endlessFile.isEmpty()
                  ? FtpServer(device.Path(), ftpPassword)
                  : Python({hostilePeer, "ftp", device.Path(), kUser, ftpPassword, peer.endlessFile});
        EXPECT_TRUE(getInfoPort != 0 && ftp->Port() != 0) << "the controller's GetInfo or FTP did not start";
        WriteLanHome(pc.FilePath("home"), pc.FilePath("backup"), sim->Port(), primaryMask,
                     QStringLiteral("[PORT]\nGETINFO=%1\nFTP=%2\n[FTP]\nUSER=%3\nPASSWORD=%4\n")
                         .arg(getInfoPort)
                         .arg(ftp->Port())
                         .arg(kUser, kPassword));
    }
    // The network controller's copy (FTP) and the packet protocol's copy of a file.
    QByteArray Exchange(const QString& name) const { return device.Read("backup/" + name); }
    QByteArray Packet(const QString& rel) const { return device.Read(rel); }
    // Makes the exchange's copy differ from the packet protocol's, so a test sees which way a file came.
    void MarkExchangeCopy(const QString& name) const {
        QByteArray data = Exchange(name);
        data.replace(0, 8, "0E0E0E0E");
        device.Write("backup/" + name, data);
    }
};

TEST(NetCtlCli, jobsGoThroughTheExchangeByteForByte) {
    NetCtlRig r;
    for (const QString& f : kPrimaryFiles + QStringList{"ZEBU_NME.DAU", "ZEBU_XPT.DAU"})
        r.MarkExchangeCopy(f);
    for (const char* what : {"primary", "description", "crosspoint"}) {
        const CliRun run = r.Cli({"receive", what});
        EXPECT_EQ(run.exitCode, 0) << what << run.err.toStdString();
        EXPECT_FALSE(run.err.contains("skipped")) << what << run.err.toStdString();
    }
    EXPECT_TRUE(r.pc.Exists("home/XMLDoc/GetInfoRes.xml"));
    EXPECT_TRUE(r.Cli({"receive", "primary"}).err.contains("ZEBU_STD.DAU: received, 33024 bytes"));
    for (const QString& f : kPrimaryFiles)
        EXPECT_EQ(r.Pc("Primary/" + f), r.Exchange(f)) << f.toStdString();
    EXPECT_FALSE(r.pc.Exists("backup/Primary/ZEBU_NME.DAU")) << "a Primary job never moves the description";
    EXPECT_EQ(r.Pc("Name/ZEBU_NME.DAU"), r.Exchange("ZEBU_NME.DAU"));
    EXPECT_EQ(r.Pc("XPoint/ZEBU_XPT.DAU"), r.Exchange("ZEBU_XPT.DAU"));

    // Change the PC's copies and send them; the description file in the Primary folder stays home.
    QByteArray idx = r.Pc("Primary/ZEBU_IDX.DAU");
    idx.replace(258, 4, "BEEF");
    r.pc.Write("backup/Primary/ZEBU_IDX.DAU", idx);
    r.pc.Write("backup/Primary/ZEBU_NME.DAU", r.Pc("Name/ZEBU_NME.DAU").replace(0, 2, "77"));
    QByteArray nme = r.Pc("Name/ZEBU_NME.DAU");
    nme.replace(0, 8, "41424344");
    r.pc.Write("backup/Name/ZEBU_NME.DAU", nme);
    const QByteArray deviceNme = r.Exchange("ZEBU_NME.DAU");
    const CliRun primary = r.Cli({"send", "primary"});
    EXPECT_EQ(primary.exitCode, 0) << primary.err.toStdString();
    EXPECT_EQ(r.Exchange("ZEBU_IDX.DAU"), idx);
    EXPECT_EQ(r.Exchange("ZEBU_NME.DAU"), deviceNme);
    const CliRun description = r.Cli({"send", "description"});
    EXPECT_EQ(description.exitCode, 0) << description.err.toStdString();
    EXPECT_EQ(r.Exchange("ZEBU_NME.DAU"), nme);
    EXPECT_NE(r.Packet("Name/ZEBU_NME.DAU"), nme) << "not by the packet protocol";
}

// Every failure of the exchange (the sequence's own test holds each) falls back to the packet protocol;
// here a malformed answer, the FTP login and a GetInfo answer nested 150000 deep, which would crash the tool.
TEST(NetCtlCli, exchangeFailuresFallBackToThePacketProtocol) {
    struct Case {
        const char* name;
        QStringList faults;
        QString ftpPassword;
        int getInfoDepth;
    };
    const Case cases[] = {{"malformed answer", {"xml-malformed"}, kPassword, 0},
                          {"FTP login", {}, "another password", 0},
                          {"deep GetInfo", {}, kPassword, 150000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NetCtlRig r(c.faults, c.ftpPassword, Hostile{c.getInfoDepth, {}});
        r.MarkExchangeCopy("ZEBU_NME.DAU");
        const CliRun run = r.Cli({"receive", "description"});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_EQ(r.Pc("Name/ZEBU_NME.DAU"), r.Packet("Name/ZEBU_NME.DAU"));
        EXPECT_FALSE(r.pc.Exists("backup/Name/ZEBU_NME.BAK"));
    }
}

// A file of a known kind is stored only with its kind's size, whichever way it came: an exchange copy of
// another size fails the exchange (its own line says why) and the packet protocol fetches the file. A
// listed file outside the data file set is backed up too.
TEST(NetCtlCli, receivedFilesHaveTheirKindsSizeOnEveryPath) {
    NetCtlRig r;
    r.device.Write("backup/ZEBU_EXT.DAU", "extra\r\n");
    struct Case {
        QString file;
        QByteArray exchangeCopy;
        QString line;
    };
    const Case cases[] = {
        {"ZEBU_STD.DAU", "", "ZEBU_STD.DAU: failed after 0 bytes: 0 bytes received, 33024 expected"},
        {"ZEBU_TLN.DAU", QByteArray(100, '0'),
         "ZEBU_TLN.DAU: failed after 100 bytes: 100 bytes received, 1032 "
         "or 2064 expected"},
        {"ZEBU_GPH.DAU", "<html><body>Moved</body></html>",
         "ZEBU_GPH.DAU: failed after 31 bytes: 31 bytes received, 90322 expected"},
    };
    for (const Case& c : cases) {
        const QByteArray good = r.Exchange(c.file);
        r.device.Write("backup/" + c.file, c.exchangeCopy);
        const CliRun run = r.Cli({"receive", "primary"});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(c.line)) << run.err.toStdString();
        EXPECT_EQ(r.Pc("Primary/" + c.file), r.Packet("Primary/" + c.file)) << c.file.toStdString();
        r.device.Write("backup/" + c.file, good);
    }
    const CliRun all = r.Cli({"receive", "primary"});
    EXPECT_EQ(all.exitCode, 0) << all.err.toStdString();
    EXPECT_EQ(r.Pc("Primary/ZEBU_EXT.DAU"), "extra\r\n");

    // A local file of the wrong size is refused on every path: never uploaded, listed as not sent.
    const QByteArray deviceLvg = r.Exchange("ZEBU_LVG.DAU");
    r.pc.Write("backup/Primary/ZEBU_LVG.DAU", r.Pc("Primary/ZEBU_LVG.DAU").left(1000));
    const CliRun sent = r.Cli({"send", "primary"});
    EXPECT_EQ(sent.exitCode, 1) << sent.err.toStdString();
    EXPECT_EQ(r.Exchange("ZEBU_LVG.DAU"), deviceLvg);
    EXPECT_TRUE(sent.err.contains("ZEBU_LVG.DAU: skipped: empty or of the wrong size"))
        << sent.err.toStdString();
    EXPECT_FALSE(sent.err.contains("ZEBU_LVG.DAU: sent")) << sent.err.toStdString();
    EXPECT_TRUE(
        sent.err.contains("The following files were not able to be transmitted.\n       ZEBU_LVG.DAU"))
        << sent.err.toStdString();
}

// An FTP file without end, which would hang the program, ends the exchange soon after the file's size,
// and the packet protocol fetches the file.
TEST(NetCtlCli, anEndlessFtpFileFallsBackToThePacketProtocol) {
    constexpr int kInhOnly = 1 << 4;
    NetCtlRig r({}, kPassword, Hostile{0, "ZEBU_INH.DAU"}, kInhOnly);
    const CliRun run = r.Cli({"receive", "primary"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QRegularExpression stopped(
        "ZEBU_INH.DAU: failed after (\\d+) bytes: \\d+ bytes received, 264192 expected");
    const QRegularExpressionMatch m = stopped.match(run.err);
    ASSERT_TRUE(m.hasMatch()) << run.err.toStdString();
    EXPECT_LE(m.captured(1).toLongLong(), 264192 + 1024 * 1024) << "stopped soon after the size";
    EXPECT_EQ(r.Pc("Primary/ZEBU_INH.DAU"), r.Packet("Primary/ZEBU_INH.DAU"));
    EXPECT_FALSE(r.pc.Exists("backup/Primary/ZEBU_INH.BAK"));
}

// The FTP driver on its own against the FTP server: a download replaces the stored file only when it is
// complete, and one that fails leaves it byte for byte.
TEST(NetCtlFtp, aFailedDownloadLeavesTheStoredFileAlone) {
    TestFolder server;
    TestFolder local;
    server.Write("dir/A.DAU", "remote contents\r\n");
    const auto ftp = FtpServer(server.Path());
    const quint16 port = ftp->Port();
    local.Write("A.DAU", "stored");
    FtpRequest r{Direction::Receive,      "127.0.0.1",       port, kUser, kPassword,
                 local.FilePath("A.DAU"), "/dir/missing.DAU"};
    const std::atomic<bool> noCancel{false};
    EXPECT_FALSE(TdrvFtp::Transfer(r, noCancel));
    EXPECT_EQ(local.Read("A.DAU"), "stored");
    EXPECT_FALSE(local.Exists("A.BAK"));

    r.password = "wrong";
    r.remotePath = "/dir/A.DAU";
    EXPECT_FALSE(TdrvFtp::Transfer(r, noCancel));
    EXPECT_EQ(local.Read("A.DAU"), "stored");

    r.password = kPassword;
    ASSERT_TRUE(TdrvFtp::Transfer(r, noCancel));
    EXPECT_EQ(local.Read("A.DAU"), "remote contents\r\n");

    local.Write("B DAU", "to the device");
    r = {Direction::Send, "127.0.0.1", port, kUser, kPassword, local.FilePath("B DAU"), "/dir/B DAU"};
    ASSERT_TRUE(TdrvFtp::Transfer(r, noCancel));
    EXPECT_EQ(server.Read("dir/B DAU"), "to the device");
}

} // namespace
} // namespace qdv::test
