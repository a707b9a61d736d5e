#include "netctl/FileTransfer.h"
#include "netctl/NetworkSequence.h"
#include "netctl/TmTableXML.h"
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

using Request = TmTableXML::Request;

const QByteArray kHead = "<SOAP-ENV:Envelope\n"
                         "xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\"\n"
                         "xmlns:SOAP-ENC=\"http://schemas.xmlsoap.org/soap/encoding/\"\n"
                         "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"\n"
                         "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\"\n";

// A request document: the fixed head, the binding and namespace, and the body's element.
QByteArray Document(const QByteArray& binding, const QByteArray& ns, const QByteArray& element,
                    const QByteArray& content) {
    return kHead + "xmlns:ns2=\"" + binding + "\"\nxmlns:ns1=\"" + ns + "\">\n<SOAP-ENV:Body id=\"_0\">\n<" +
           element + " xmlns=\"" + ns + "\">\n" + content + "</" + element +
           ">\n</SOAP-ENV:Body>\n</SOAP-ENV:Envelope>\n";
}

TEST(TmTableXML, requestDocumentsByteForByte) {
    EXPECT_EQ(TmTableXML::RequestText(Request::GetInfo, "Ignored", "ignored"),
              Document("DeviceInfoConfigurationSoapBinding",
                       "http://switcher.example/pro/switcher/deviceinfo/configurationservice", "GetInfoReq",
                       ""));
    // The service name keeps its capitals in the binding and is lower-cased in the namespace.
    const QByteArray ns = "http://switcher.example/pro/switcher/primarystation/configurationservice";
    for (const auto& [request, element] : {std::pair{Request::BackUpReady, QByteArray("BackUpReadyReq")},
                                           std::pair{Request::PutFinish, QByteArray("PutFinishReq")}}) {
        EXPECT_EQ(
            TmTableXML::RequestText(request, "PrimaryStation", "ZEBU_STD.DAU"),
            Document("PrimaryStationConfigurationSoapBinding", ns, element, "<Path>ZEBU_STD.DAU</Path>\n"));
    }
    EXPECT_EQ(TmTableXML::RequestText(Request::PutFinish, "S\"x", "A&B<C>.DAU"),
              Document("S&quot;xConfigurationSoapBinding",
                       "http://switcher.example/pro/switcher/s&quot;x/configurationservice", "PutFinishReq",
                       "<Path>A&amp;B&lt;C&gt;.DAU</Path>\n"));
}

TEST(TmTableXML, captureCutsTheStatusLineHeadersAndDeclaration) {
    const QByteArray xml = "<SOAP-ENV:Envelope><a>1</a></SOAP-ENV:Envelope>\n";
    const QByteArray decl = "<?xml version=\"1.0\"?>";
    const QByteArray fourHeaders = "A: 1\r\nB: 2\r\nC: 3\r\nD: 4\r\n";
    struct Case {
        const char* what;
        QByteArray answer;
        bool captured;
    };
    const Case cases[] = {
        {"status, four headers, blank line", "HTTP/1.1 200 OK\r\n" + fourHeaders + "\r\n" + decl + xml, true},
        {"more than four headers", "HTTP/1.1 200 OK\r\n" + fourHeaders + "E: 5\r\nF: 6\r\n\r\n" + decl + xml,
         true},
        {"declaration glued to the headers", "HTTP/1.1 200 OK\r\n" + fourHeaders + decl + xml, true},
        {"status line without OK", "HTTP/1.1 500 Error\r\n" + fourHeaders + "\r\n" + decl + xml, false},
        {"no XML declaration", "HTTP/1.1 200 OK\r\n" + fourHeaders + "\r\n" + xml, false},
        {"fewer lines than headers", "HTTP/1.1 200 OK\r\nA: 1\r\n" + decl + xml, false},
        {"nothing", "", false},
    };
    for (const Case& c : cases) {
        QByteArray out = "untouched";
        EXPECT_EQ(TmTableXML::CaptureXml(c.answer, &out), c.captured) << c.what;
        if (c.captured) {
            EXPECT_EQ(out, xml) << c.what;
        }
    }
}

// What precedes the document in an answer: the status line, four headers and the declaration.
const QByteArray kAnswerHead =
    "HTTP/1.1 200 OK\r\nA: 1\r\nB: 2\r\nC: 3\r\nD: 4\r\n\r\n<?xml version=\"1.0\"?>";

QByteArray GetInfoXml(const QByteArray& backUpChildren) {
    return "<SOAP-ENV:Envelope><SOAP-ENV:Body><ns1:GetInfoRes><DeviceInfo>"
           "<DeviceName>X</DeviceName><DeviceCode>1</DeviceCode><ServerType>2</ServerType>"
           "<ServerName>PrimaryStation</ServerName><secondId>1</secondId><thirdId>0</thirdId>"
           "<Port>8082</Port><Web><Dir>/web</Dir><TopName>t</TopName></Web>"
           "<BackUp>" +
           backUpChildren + "</BackUp></DeviceInfo></ns1:GetInfoRes></SOAP-ENV:Body></SOAP-ENV:Envelope>";
}

QByteArray FileXml(const QString& name, int size) {
    return "<File><Name>" + name.toHtmlEscaped().toUtf8() + "</Name><Size>" + QByteArray::number(size) +
           "</Size></File>";
}

TEST(TmTableXML, getInfoIsReadByPosition) {
    TmTableXML xml({});
    ASSERT_TRUE(xml.ReadGetInfo(GetInfoXml("<Dir>/backup</Dir>")));
    EXPECT_EQ(xml.ServiceName(), "PrimaryStation");
    EXPECT_EQ(xml.ConfigPort(), 8082);
    EXPECT_EQ(xml.RemoteDir(), "/backup");
    EXPECT_EQ(xml.FileCount(), 0);
    EXPECT_EQ(xml.File(1), nullptr);

    QByteArray many = "<Dir>/d</Dir>";
    for (int i = 1; i <= 300; ++i)
        many += FileXml(QStringLiteral("F%1.DAU").arg(i), i);
    ASSERT_TRUE(xml.ReadGetInfo(GetInfoXml(many)));
    ASSERT_EQ(xml.FileCount(), TmTableXML::kMaxFiles);
    EXPECT_EQ(xml.File(265)->name, "F265.DAU");
    EXPECT_EQ(xml.File(265)->size, 265u);
    EXPECT_TRUE(xml.FileKnown("F1.DAU"));
    EXPECT_FALSE(xml.FileKnown("f1.dau")) << "names are matched with their case";
    EXPECT_FALSE(xml.FileKnown("F300.DAU"));

    EXPECT_FALSE(xml.ReadGetInfo(
        "<SOAP-ENV:Envelope><SOAP-ENV:Body><ns1:GetInfoRes/></SOAP-ENV:Body></SOAP-ENV:Envelope>"))
        << "no DeviceInfo";
    EXPECT_EQ(xml.FileCount(), 0);
    EXPECT_FALSE(xml.ReadGetInfo(GetInfoXml("<Dir>/d</Dir>").left(120))) << "malformed";
    EXPECT_FALSE(xml.ReadGetInfo({}));
}

TEST(TmTableXML, namesThatAreNoBareFileNameAreRefused) {
    struct Case {
        QString name;
        bool usable;
    };
    const Case cases[] = {
        {"ZEBU_STD.DAU", true}, {"../ZEBU_STD.DAU", false}, {"..", false},
        {"a/b.DAU", false},     {"a\\b.DAU", false},        {"", false},
        {"x\ty", false},        {QString(256, 'A'), false}, {QString(255, 'A'), true},
        {"/etc/passwd", false}, {"x\x7f", false},
    };
    QByteArray files = "<Dir>/d</Dir>";
    for (const Case& c : cases)
        files += FileXml(c.name, 1);
    TmTableXML xml({});
    ASSERT_TRUE(xml.ReadGetInfo(GetInfoXml(files)));
    ASSERT_EQ(xml.FileCount(), static_cast<int>(std::size(cases)));
    for (int i = 0; i < xml.FileCount(); ++i)
        EXPECT_EQ(xml.File(i + 1)->usable, cases[i].usable) << cases[i].name.toStdString();
}

TEST(TmTableXML, statusMustReadExactlyOk) {
    const std::pair<const char*, bool> cases[] = {
        {"OK", true}, {"ok", false}, {"NG", false}, {" OK", false}, {"", false}};
    for (const auto& [status, accepted] : cases) {
        const QByteArray doc = QByteArray("<E><B><ns1:BackUpReadyRes><Status>") + status +
                               "</Status></ns1:BackUpReadyRes></B></E>";
        EXPECT_EQ(TmTableXML::StatusOk(doc), accepted) << status;
    }
    EXPECT_FALSE(TmTableXML::StatusOk("<E><B><R><Status>OK</Status></R>")) << "malformed";
}

// An answer nested deeper than the format needs is refused at once, however deep (a DOM parser recursed
// once per level and ran out of stack near 150000 levels, after a time growing with the square of the
// depth); the refusal does not depend on where the nesting sits.
TEST(TmTableXML, deeplyNestedAnswersAreRefused) {
    const auto nested = [](int depth) {
        return QByteArray("<a>").repeated(depth) + QByteArray("</a>").repeated(depth);
    };
    const QByteArray deep = nested(150000);
    EXPECT_FALSE(TmTableXML::StatusOk(deep));
    TmTableXML xml({});
    EXPECT_FALSE(xml.ReadGetInfo(deep));
    EXPECT_FALSE(
        xml.ReadGetInfo(GetInfoXml("<Dir>/d</Dir>" + FileXml("A.DAU", 1) + "<x>" + nested(8) + "</x>")));
    EXPECT_TRUE(
        xml.ReadGetInfo(GetInfoXml("<Dir>/d</Dir>" + FileXml("A.DAU", 1) + "<x>" + nested(1) + "</x>")));
    EXPECT_FALSE(TmTableXML::StatusOk("<E><B><R><Status>OK" + nested(20) + "</Status></R></B></E>"));
}

// The last request and answer documents are kept in the document folder, which is not made here.
TEST(TmTableXML, documentsAreKeptInTheDocumentFolder) {
    TestFolder home;
    TmTableXML xml(home.FilePath("XMLDoc"));
    QByteArray bytes;
    EXPECT_FALSE(xml.BuildRequest(Request::GetInfo, {}, &bytes));
    home.Write("XMLDoc/GetInfoReq.xml", "old and longer than nothing at all, to be replaced entirely ......");
    home.Write("XMLDoc/GetInfoRes.xml", "stale");
    ASSERT_TRUE(xml.BuildRequest(Request::GetInfo, {}, &bytes));
    EXPECT_EQ(bytes, TmTableXML::RequestText(Request::GetInfo, {}, {}));
    EXPECT_EQ(home.Read("XMLDoc/GetInfoReq.xml"), bytes);

    const QByteArray doc = GetInfoXml("<Dir>/d</Dir>" + FileXml("ZEBU_STD.DAU", 8));
    ASSERT_TRUE(xml.AcceptResponse(Request::GetInfo, kAnswerHead + doc));
    EXPECT_EQ(home.Read("XMLDoc/GetInfoRes.xml"), doc);
    EXPECT_TRUE(xml.FileKnown("ZEBU_STD.DAU"));
    EXPECT_FALSE(xml.AcceptResponse(Request::GetInfo, "HTTP/1.1 404 Not Found\r\n\r\n"));
    EXPECT_FALSE(home.Exists("XMLDoc/GetInfoRes.xml")) << "the old response is gone";
}

TEST(TmTableXML, stationFileListForAnUploadComesFromTheFolder) {
    TestFolder pc;
    for (const char* name : {"b.DAU", "c.dat", "a.DAT", "notes.txt"})
        pc.Write(QStringLiteral("ZEBU_002/") + name, "1234");
    TmTableXML xml({});
    ASSERT_EQ(xml.PrepareFileList(true, Direction::Send, pc.FilePath("ZEBU_002")), 3);
    EXPECT_EQ(xml.File(1)->name, "a.DAT");
    EXPECT_EQ(xml.File(2)->name, "c.dat");
    EXPECT_EQ(xml.File(3)->name, "b.DAU");
    EXPECT_EQ(xml.File(3)->size, 4u);
    EXPECT_EQ(xml.PrepareFileList(true, Direction::Send, pc.FilePath("missing")), 0);

    ASSERT_TRUE(xml.ReadGetInfo(GetInfoXml("<Dir>/d</Dir>" + FileXml("ZEBU_003.DAT", 1))));
    EXPECT_EQ(xml.PrepareFileList(true, Direction::Receive, pc.FilePath("deep/ZEBU_003")), 1);
    EXPECT_TRUE(pc.Exists("deep/ZEBU_003")) << "a download makes the station folder";
    EXPECT_EQ(xml.PrepareFileList(false, Direction::Send, pc.FilePath("ZEBU_002")), 1)
        << "no station: unchanged";
}

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

    // Runs a job of `kind` through the sequence in virtual time, its exchange logged afresh; its result.
    int Run(bool receive, int kind) {
        const Direction direction = receive ? Direction::Receive : Direction::Send;
        resolver.EnsureSetupFolders(setup);
        status.Clear();
        connection.requests.clear();
        ftp.log.clear();
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
    ASSERT_EQ(r.Run(false, kJobPrimary), 0);
    EXPECT_EQ(r.ftp.log.size(), 7);
    EXPECT_EQ(r.connection.requests.size(), 1 + 7);
    EXPECT_TRUE(r.connection.requests.last().contains("<PutFinishReq"));
    EXPECT_EQ(r.status.primaryDoneMask, 0xFDu) << "TLN (bit 1) was not sent";

    // Of the Primary set only the files the setup selects; other listed files all the same.
    r.setup.primaryBackupFiles = 0x01;
    ASSERT_EQ(r.Run(true, kJobPrimary), 0);
    EXPECT_EQ(r.ftp.log, (QStringList{"get /backup/ZEBU_STD.DAU", "get /backup/ZEBU_XPT.DAU"}));
}

// A GetInfo answer listing `names` in /backup.
QByteArray GetInfoAnswer(const QStringList& names) {
    QByteArray files = "<Dir>/backup</Dir>";
    for (const QString& name : names)
        files += FileXml(name, 1);
    return kAnswerHead + GetInfoXml(files);
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
    QStringList notStored;
    for (const StatusBlock::NotStored& n : r.status.NotStoredFiles())
        notStored << n.name + ": " + n.reason;
    EXPECT_EQ(notStored, (QStringList{"../x: not a plain file name", "a\\b: not a plain file name"}));
    EXPECT_FALSE(r.pc.Exists("backup/x"));
}

TEST(NetworkSequence, crosspointSend) {
    SequenceRig r;
    r.pc.Write("backup/XPoint/ZEBU_XPT.DAU", "x");
    ASSERT_EQ(r.Run(false, kJobCrosspoint), 0);
    EXPECT_EQ(r.Device("ZEBU_XPT.DAU"), "x");
}

TEST(NetworkSequence, everyFailureEndsTheAttempt) {
    struct Case {
        const char* what;
        std::function<void(SequenceRig&)> prepare;
        bool receive;
        int kind;
        qint64 afterMs = 0; // when the attempt ends, in virtual time
    };
    const auto fault = [](sim::Fault f) { return [f](SequenceRig& r) { r.faults.Add(f); }; };
    const Case cases[] = {
        {"answer never ends", fault(sim::Fault::XmlNeverClose), true, kJobPrimary, 60000},
        {"GetInfo refused", [](auto& r) { r.connection.refuse = true; }, true, kJobPrimary},
        {"no OK", fault(sim::Fault::XmlNoOk), true, kJobPrimary},
        {"malformed XML", fault(sim::Fault::XmlMalformed), true, kJobPrimary},
        {"status NG", fault(sim::Fault::XmlStatusNg), true, kJobDescription},
        {"PutFinish NG", fault(sim::Fault::XmlStatusNg), false, kJobPrimary},
        {"description not listed", fault(sim::Fault::XmlFileLeftOut), true, kJobDescription},
        {"crosspoint upload not listed",
         [](auto& r) { QFile::remove(r.device.FilePath("backup/ZEBU_XPT.DAU")); }, false, kJobCrosspoint},
        {"FTP transfer fails", [](auto& r) { r.ftp.fail = true; }, true, kJobPrimary},
        {"no station address", [](auto& r) { r.stations.state[2] = StationTables::kChosen; }, true,
         kJobSecondary},
    };
    for (const Case& c : cases) {
        SequenceRig r;
        // A send needs files to send.
        for (const QString& f : kPrimaryFiles)
            r.pc.Write("backup/Primary/" + f, r.Device(f));
        r.pc.Write("backup/XPoint/ZEBU_XPT.DAU", r.device.Read("XPoint/ZEBU_XPT.DAU"));
        c.prepare(r);
        EXPECT_NE(r.Run(c.receive, c.kind), 0) << c.what;
        EXPECT_GE(r.elapsedMs, c.afterMs) << c.what;
        EXPECT_LT(r.elapsedMs, c.afterMs + 1000) << c.what;
        EXPECT_EQ(r.connection.CurrentState(), XmlConnection::State::Closed) << c.what;
    }
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
