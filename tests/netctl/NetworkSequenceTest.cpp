#include "netctl/NetworkSequence.h"
#include "netctl/FileTransfer.h"
#include "netctl/XmlConnection.h"
#include "sim/NetCtlResponder.h"
#include "sim/SampleDataSet.h"
#include "support/EngineRig.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <optional>

namespace qdv::test {
namespace {

constexpr quint16 kGetInfoPort = 1;
constexpr quint16 kConfigPort = 2;
const QStringList kPrimaryFiles = {"ZEBU_STD.DAU", "ZEBU_TLN.DAU", "ZEBU_GPH.DAU", "ZEBU_LVG.DAU",
                                   "ZEBU_INH.DAU", "ZEBU_SGP.DAU", "ZEBU_422.DAU", "ZEBU_IDX.DAU"};

// The device's XML side is the simulated controller's: each request is answered at once when sent.
class FakeConnection final : public XmlConnection {
public:
    explicit FakeConnection(sim::NetCtlResponder& device) : m_device(device) {}

    bool refuse = false;
    std::optional<QByteArray> getInfoAnswer; // instead of the device's
    QList<QByteArray> requests;

    bool Open(const QString&, quint16 port) override {
        m_port = port;
        m_answer.clear();
        m_state = refuse ? State::Failed : State::Up;
        return true;
    }
    State CurrentState() const override { return m_state; }
    bool Send(QByteArrayView bytes) override {
        requests << bytes.toByteArray();
        const bool getInfo = m_port == kGetInfoPort;
        m_answer = getInfo && getInfoAnswer ? *getInfoAnswer
                                            : m_device.Answer(getInfo ? sim::NetCtlResponder::Service::GetInfo
                                                                      : sim::NetCtlResponder::Service::Config,
                                                              bytes);
        m_state = m_device.KeepOpen() ? State::Up : State::PeerClosed;
        return true;
    }
    QByteArray Answer() const override { return m_answer; }
    void Close() override { m_state = State::Closed; }

private:
    sim::NetCtlResponder& m_device;
    quint16 m_port = 0;
    State m_state = State::Closed;
    QByteArray m_answer;
};

// FTP against the device folder, done at once.
class FakeFtp final : public FileTransfer {
public:
    explicit FakeFtp(QString deviceFolder) : m_folder(std::move(deviceFolder)) {}

    bool fail = false;
    QStringList log;

    bool Start(const FtpRequest& r) override {
        const QString remote = QDir(m_folder).filePath(r.remotePath.section('/', -1));
        log << (r.direction == Direction::Send ? "put " : "get ") + r.remotePath;
        const QString from = r.direction == Direction::Send ? r.localPath : remote;
        const QString to = r.direction == Direction::Send ? remote : r.localPath;
        QFile::remove(to);
        m_ok = !fail && QFile::copy(from, to);
        return true;
    }
    bool Busy() const override { return false; }
    bool Succeeded() const override { return m_ok; }
    void Cancel() override {}

private:
    QString m_folder;
    bool m_ok = false;
};

// The engine rig's files, clock and tables, with the exchange in place of the engine.
struct SequenceRig : EngineRig {
    TestFolder device;
    TransferJobs jobs{status, stations, resolver};
    sim::FaultPlan faults;
    sim::NetCtlResponder responder{device.FilePath("backup"), kConfigPort, &faults};
    FakeConnection connection{responder};
    FakeFtp ftp{device.FilePath("backup")};
    NetworkSequence sequence{{clock, status, resolver, connection, ftp, pc.FilePath("XMLDoc")}};
    qint64 elapsedMs = 0;

    SequenceRig() {
        QString error;
        EXPECT_TRUE(WriteSampleDataSet(device.Path(), &error)) << error.toStdString();
        EXPECT_TRUE(sim::NetCtlResponder::PrepareDeviceFolder(device.Path(), &error));
        QDir().mkpath(pc.FilePath("XMLDoc"));
        ports.getInfoPort = kGetInfoPort;
        ports.ftpPort = 21;
    }
    QByteArray Pc(const QString& rel) const { return pc.Read("backup/" + rel); }
    QByteArray Device(const QString& name) const { return device.Read("backup/" + name); }

    // Runs a job of `kind` through the sequence in virtual time; its result code.
    int Run(bool receive, int kind) {
        const Direction direction = receive ? Direction::Receive : Direction::Send;
        resolver.EnsureSetupFolders(setup);
        status.Clear();
        jobs.BuildQueue(direction, static_cast<JobKind>(kind), setup);
        sequence.Begin(setup, ports, direction, static_cast<JobKind>(kind), jobs);
        const qint64 start = clock.NowMs();
        int code = NetworkAttempt::kRunning;
        for (int i = 0; i < 10000 && code == NetworkAttempt::kRunning; ++i) {
            code = sequence.Step();
            if (code == NetworkAttempt::kRunning)
                clock.Advance(10);
        }
        elapsedMs = clock.NowMs() - start;
        return code;
    }
};

TEST(NetworkSequence, primaryReceiveTakesEveryListedFileButTheDescription) {
    SequenceRig r;
    ASSERT_EQ(r.Run(true, kJobPrimary), 0);
    EXPECT_EQ(r.elapsedMs, 0) << "a device that answers at once costs no ticks";
    // The eight files of the set and the other listed one; not the description.
    EXPECT_EQ(r.status.primaryDoneMask, 0xFFu);
    EXPECT_EQ(r.ftp.log.size(), 9);
    EXPECT_EQ(r.Pc("Primary/ZEBU_XPT.DAU"), r.Device("ZEBU_XPT.DAU")) << "a listed file is backed up";
    EXPECT_EQ(r.ftp.log.front(), "get /backup/ZEBU_422.DAU") << "files in the device's order";
    // GetInfo once, then BackUpReady before each get.
    ASSERT_EQ(r.connection.requests.size(), 10);
    EXPECT_TRUE(r.connection.requests[0].contains("<GetInfoReq"));
    EXPECT_TRUE(r.connection.requests[1].contains("<BackUpReadyReq"));
    EXPECT_TRUE(r.connection.requests[1].contains("<Path>ZEBU_422.DAU</Path>"));

    // Send: put, then PutFinish; a file missing here is skipped and reported as not sent.
    QFile::remove(r.pc.FilePath("backup/Primary/ZEBU_TLN.DAU"));
    r.ftp.log.clear();
    r.connection.requests.clear();
    ASSERT_EQ(r.Run(false, kJobPrimary), 0);
    EXPECT_EQ(r.ftp.log.size(), 7);
    EXPECT_EQ(r.connection.requests.size(), 1 + 7);
    EXPECT_TRUE(r.connection.requests.last().contains("<PutFinishReq"));
    EXPECT_EQ(r.status.primaryDoneMask, 0xFDu) << "TLN (bit 1) was not sent";

    // Of the Primary set only the files the setup selects; other listed files all the same.
    r.setup.primaryBackupFiles = 0x01;
    r.ftp.log.clear();
    ASSERT_EQ(r.Run(true, kJobPrimary), 0);
    EXPECT_EQ(r.ftp.log, (QStringList{"get /backup/ZEBU_STD.DAU", "get /backup/ZEBU_XPT.DAU"}));
}

QByteArray GetInfoAnswer(const QStringList& names) {
    QByteArray files = "<Dir>/backup</Dir>";
    for (const QString& name : names)
        files += "<File><Name>" + name.toHtmlEscaped().toUtf8() + "</Name><Size>1</Size></File>";
    return "HTTP/1.1 200 OK\r\nA:\r\nB:\r\nC:\r\nD:\r\n\r\n<?xml version=\"1.0\"?>"
           "<E><B><R><DeviceInfo><a/><b/><c/><ServerName>S</ServerName><d/><e/>"
           "<Port>2</Port><f/><BackUp>" +
           files + "</BackUp></DeviceInfo></R></B></E>";
}

// Unsafe names are never written and count as not acquired; a name listed twice is moved once.
TEST(NetworkSequence, primaryListedNamesAreCheckedAndMovedOnce) {
    SequenceRig r;
    r.device.Write("backup/ZEBU_EXT.DAU", "extra");
    r.connection.getInfoAnswer =
        GetInfoAnswer({"../x", "a\\b", "ZEBU_EXT.DAU", "ZEBU_EXT.DAU", "zebu_ext.dau", "ZEBU_NME.DAU"});
    ASSERT_EQ(r.Run(true, kJobPrimary), 0);
    EXPECT_EQ(r.ftp.log, QStringList{"get /backup/ZEBU_EXT.DAU"});
    EXPECT_EQ(r.Pc("Primary/ZEBU_EXT.DAU"), "extra");
    const auto notStored = r.status.NotStoredFiles();
    ASSERT_EQ(notStored.size(), 2u);
    EXPECT_EQ(notStored[0].name, "../x");
    EXPECT_EQ(notStored[1].name, "a\\b");
    EXPECT_EQ(notStored[1].reason, "not a plain file name");
    EXPECT_FALSE(r.pc.Exists("backup/x"));
}

TEST(NetworkSequence, crosspointBothWays) {
    SequenceRig r;
    ASSERT_EQ(r.Run(true, kJobCrosspoint), 0);
    EXPECT_EQ(r.Pc("XPoint/ZEBU_XPT.DAU"), r.Device("ZEBU_XPT.DAU"));
    r.device.Write("backup/ZEBU_XPT.DAU", "x");
    ASSERT_EQ(r.Run(false, kJobCrosspoint), 0);
    EXPECT_EQ(r.Pc("XPoint/ZEBU_XPT.DAU"), r.Device("ZEBU_XPT.DAU"));
}

TEST(NetworkSequence, everyFailureEndsTheAttempt) {
    struct Case {
        const char* what;
        std::function<void(SequenceRig&)> prepare;
        bool receive;
        int kind;
    };
    const Case cases[] = {
        {"GetInfo refused", [](SequenceRig& r) { r.connection.refuse = true; }, true, kJobPrimary},
        {"no OK", [](SequenceRig& r) { r.faults.Add(sim::Fault::XmlNoOk); }, true, kJobPrimary},
        {"malformed XML", [](SequenceRig& r) { r.faults.Add(sim::Fault::XmlMalformed); }, true, kJobPrimary},
        {"status NG", [](SequenceRig& r) { r.faults.Add(sim::Fault::XmlStatusNg); }, true, kJobDescription},
        {"PutFinish NG", [](SequenceRig& r) { r.faults.Add(sim::Fault::XmlStatusNg); }, false, kJobPrimary},
        {"description not listed", [](SequenceRig& r) { r.faults.Add(sim::Fault::XmlFileLeftOut); }, true,
         kJobDescription},
        {"crosspoint upload not listed",
         [](SequenceRig& r) { QFile::remove(r.device.FilePath("backup/ZEBU_XPT.DAU")); }, false,
         kJobCrosspoint},
        {"FTP transfer fails", [](SequenceRig& r) { r.ftp.fail = true; }, true, kJobPrimary},
        {"no station address", [](SequenceRig& r) { r.stations.state[2] = StationTables::kChosen; }, true,
         kJobSecondary},
    };
    for (const Case& c : cases) {
        SequenceRig r;
        r.resolver.EnsureSetupFolders(r.setup);
        // A send needs files to send.
        for (const QString& f : kPrimaryFiles)
            r.pc.Write("backup/Primary/" + f, r.Device(f));
        r.pc.Write("backup/XPoint/ZEBU_XPT.DAU", r.device.Read("XPoint/ZEBU_XPT.DAU"));
        c.prepare(r);
        EXPECT_NE(r.Run(c.receive, c.kind), 0) << c.what;
        EXPECT_EQ(r.connection.CurrentState(), XmlConnection::State::Closed) << c.what;
    }
}

TEST(NetworkSequence, anAnswerThatNeverEndsFailsAfterSixtySeconds) {
    SequenceRig r;
    r.faults.Add(sim::Fault::XmlNeverClose);
    EXPECT_NE(r.Run(true, kJobPrimary), 0);
    EXPECT_GE(r.elapsedMs, 60000);
    EXPECT_LT(r.elapsedMs, 61000);
}

// A station's folder gets only that station's data files (a listed ".git" became a folder entry that
// broke every later snapshot); one that cannot be made fails the station instead of reporting it OK.
TEST(NetworkSequence, stationFilesNeverLeaveTheStationFolder) {
    struct Case {
        const char* what;
        QStringList listed;
        bool blockFolder;
        QStringList fetched;
    };
    const Case cases[] = {
        {"foreign names refused",
         {"../evil.DAU", "ZEBU_002.DAT", ".git", "sub/x.DAU", "", "ZEBU_003.DAT", "ZEBU_002.DAT",
          "ZEBU_002.DAU"},
         false,
         {"get /backup/ZEBU_002.DAT", "get /backup/ZEBU_002.DAU"}},
        {"station folder blocked by a file", {"ZEBU_002.DAT"}, true, {}},
    };
    for (const Case& c : cases) {
        SequenceRig r;
        r.stations.state[2] = StationTables::kChosen;
        r.stations.SetAddress(2, "127.0.0.2");
        r.device.Write("backup/ZEBU_002.DAT", "station file");
        r.device.Write("backup/ZEBU_002.DAU", "station names");
        r.device.Write("backup/.git", "not a data file");
        if (c.blockFolder)
            r.pc.Write("backup/ZEBU_002", "a file where the folder belongs");
        r.connection.getInfoAnswer = GetInfoAnswer(c.listed);
        ASSERT_EQ(r.Run(true, kJobSecondary), 0) << c.what;
        EXPECT_EQ(r.ftp.log, c.fetched) << c.what;
        EXPECT_EQ(r.stations.result[2], StationTables::kFailed) << c.what;
        EXPECT_EQ(r.stations.state[2], StationTables::kDone) << c.what;
        EXPECT_FALSE(r.pc.Exists("backup/ZEBU_002/.git")) << c.what;
        EXPECT_FALSE(r.pc.Exists("backup/evil.DAU")) << c.what;
        if (!c.blockFolder) {
            EXPECT_EQ(r.Pc("ZEBU_002/ZEBU_002.DAT"), "station file");
        }
    }
}

// A stand-in for the exchange that ends as told after a few steps.
class ScriptedAttempt final : public NetworkAttempt {
public:
    int result = 0;
    int steps = 0;
    int aborts = 0;
    void Begin(const SetupRecord&, const PortSettings&, Direction, JobKind, TransferJobs&) override {
        steps = 0;
    }
    int Step() override { return ++steps < 3 ? kRunning : result; }
    void Abort() override { ++aborts; }
    bool Moved(const QString&) const override { return false; }
};

// The exchange's success ends the job; its failure falls back to the packet protocol; Cancel aborts it.
TEST(EngineWithNetworkAttempt, successEndsTheJobAndFailureFallsBackToThePacketProtocol) {
    struct Case {
        const char* what;
        int result;
        int kind;
        int opens;
        std::uint32_t code;
    };
    const Case cases[] = {
        {"success", 0, kJobDescription, 0, 0},
        {"failure", 319, kJobDescription, 1, 0}, // the packet protocol goes on past the 100 ticks
        {"cancelled", NetworkAttempt::kRunning, kJobPrimary, 0, 102},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EngineRig rig;
        ScriptedAttempt attempt;
        attempt.result = c.result;
        rig.engine.SetNetworkAttempt(&attempt);
        QString shown;
        const bool ended = rig.RunJob(Direction::Receive, c.kind, 100, [&](int tick) {
            if (shown.isEmpty() && rig.line.opens > 0)
                shown = rig.status.Line2();
            rig.status.abortRequest = c.result == NetworkAttempt::kRunning && tick == 5;
        });
        EXPECT_EQ(ended, c.opens == 0);
        EXPECT_EQ(rig.line.opens, c.opens) << "the packet protocol ran";
        EXPECT_EQ(rig.status.lastError, c.code);
        EXPECT_EQ(attempt.aborts, c.result == NetworkAttempt::kRunning ? 1 : 0);
        if (c.opens > 0) {
            EXPECT_EQ(shown, "TCP/IP Connecting...");
        } else if (c.code == 0) {
            EXPECT_EQ(rig.status.Line2(), "FTP OK.");
        }
    }
}

} // namespace
} // namespace qdv::test
