#include "netctl/TmTableXML.h"
#include "support/TestFolder.h"

#include <gtest/gtest.h>

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
    EXPECT_TRUE(
        TmTableXML::RequestText(Request::PutFinish, "S\"x", "A&B<C>.DAU")
            .contains("xmlns:ns2=\"S&quot;xConfigurationSoapBinding\"\n"
                      "xmlns:ns1=\"http://switcher.example/pro/switcher/s&quot;x/configurationservice\">\n"));
    EXPECT_TRUE(TmTableXML::RequestText(Request::PutFinish, "S", "A&B<C>.DAU")
                    .contains("<Path>A&amp;B&lt;C&gt;.DAU</Path>\n"));
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
    const QByteArray answer =
        "HTTP/1.1 200 OK\r\nA: 1\r\nB: 2\r\nC: 3\r\nD: 4\r\n\r\n<?xml version=\"1.0\"?>" + doc;
    ASSERT_TRUE(xml.AcceptResponse(Request::GetInfo, answer));
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

} // namespace
} // namespace qdv::test
