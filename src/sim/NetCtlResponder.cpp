#include "sim/NetCtlResponder.h"

#include "netctl/TmTableXML.h"
#include "store/DataFileSet.h"
#include "store/PathNoCase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace qdv::sim {

namespace {

const QByteArray kEnvelopeEnd = QByteArrayLiteral("</SOAP-ENV:Envelope>");

QByteArray Element(const char* name, const QByteArray& text) {
    return QByteArray("<") + name + ">" + text + "</" + name + ">";
}

QByteArray XmlText(const QString& text) {
    return text.toHtmlEscaped().toUtf8();
}

// The bare file name in a request's Path, unescaped; empty when there is none.
QString PathOf(QByteArrayView request) {
    static const QRegularExpression path(QStringLiteral("<Path>([^<]*)</Path>"));
    const QRegularExpressionMatch m = path.match(QString::fromUtf8(request));
    if (!m.hasMatch())
        return {};
    QString name = m.captured(1);
    name.replace(QLatin1String("&lt;"), QLatin1String("<"))
        .replace(QLatin1String("&gt;"), QLatin1String(">"))
        .replace(QLatin1String("&quot;"), QLatin1String("\""))
        .replace(QLatin1String("&apos;"), QLatin1String("'"))
        .replace(QLatin1String("&amp;"), QLatin1String("&"));
    return name;
}

} // namespace

NetCtlResponder::NetCtlResponder(QString deviceFolder, quint16 configPort, FaultPlan* faults)
    : m_folder(std::move(deviceFolder)), m_configPort(configPort), m_faults(faults) {}

bool NetCtlResponder::PrepareDeviceFolder(const QString& dataDir, QString* error) {
    const QString folder = QDir(dataDir).filePath(QLatin1String(kFolderName));
    if (QFileInfo(folder).isDir())
        return true;
    if (!QDir().mkpath(folder)) {
        *error = QStringLiteral("cannot create %1").arg(folder);
        return false;
    }
    QStringList sources;
    for (const char c : QByteArrayView(datafiles::kPrimaryTypes))
        sources << QStringLiteral("Primary/") + datafiles::FileName(datafiles::CodeOfCharacter(c));
    sources << QStringLiteral("Name/") + datafiles::FileName(datafiles::kNme)
            << QStringLiteral("XPoint/") + datafiles::FileName(datafiles::kXpt);
    for (const QString& rel : sources) {
        const QString from = JoinNoCase(JoinNoCase(dataDir, rel.section('/', 0, 0)), rel.section('/', 1));
        if (QFileInfo::exists(from) && !QFile::copy(from, QDir(folder).filePath(rel.section('/', 1)))) {
            *error = QStringLiteral("cannot copy %1 into %2").arg(from, folder);
            return false;
        }
    }
    return true;
}

bool NetCtlResponder::Fires(Fault fault) const {
    return m_faults != nullptr && m_faults->Fire(fault);
}

bool NetCtlResponder::KeepOpen() const {
    return Fires(Fault::XmlNeverClose);
}

bool NetCtlResponder::RequestComplete(QByteArrayView request) {
    return request.toByteArray().contains(kEnvelopeEnd);
}

QByteArray NetCtlResponder::Answer(Service service, QByteArrayView request) const {
    const QByteArray text = request.toByteArray();
    if (service == Service::GetInfo) {
        if (text.contains("<GetInfoReq"))
            return Wrap(GetInfoBody());
    } else {
        const bool ready = text.contains("<BackUpReadyReq");
        if (ready || text.contains("<PutFinishReq")) {
            // A download must name a file the device has; an upload must have left it there.
            const QString name = PathOf(request);
            const bool ok = TmTableXML::IsBareFileName(name) &&
                            QFileInfo(QDir(m_folder).filePath(name)).isFile() && !Fires(Fault::XmlStatusNg);
            return Wrap(StatusBody(ready ? "BackUpReadyRes" : "PutFinishRes", ok));
        }
    }
    return QByteArrayLiteral("HTTP/1.1 400 Bad Request\r\nConnection: close\r\n\r\n");
}

QByteArray NetCtlResponder::GetInfoBody() const {
    QByteArray files;
    const bool leaveOut = Fires(Fault::XmlFileLeftOut);
    const QFileInfoList found = QDir(m_folder).entryInfoList(QDir::Files, QDir::Name);
    for (const QFileInfo& fi : found) {
        if (leaveOut && fi.fileName().compare(datafiles::FileName(datafiles::kNme), Qt::CaseInsensitive) == 0)
            continue;
        files += Element("File", Element("Name", XmlText(fi.fileName())) +
                                     Element("Size", QByteArray::number(fi.size())));
    }
    const QByteArray info = Element("DeviceName", "KMC-1100") + Element("DeviceCode", "100") +
                            Element("ServerType", "2147483649") + Element("ServerName", "PrimaryStation") +
                            Element("secondId", "1") + Element("thirdId", "0") +
                            Element("Port", QByteArray::number(m_configPort)) +
                            Element("Web", Element("Dir", "/web") + Element("TopName", "top_p.html")) +
                            Element("BackUp", Element("Dir", QByteArray("/") + kFolderName) + files);
    return "<ns1:GetInfoRes>" + Element("DeviceInfo", info) + "</ns1:GetInfoRes>";
}

QByteArray NetCtlResponder::StatusBody(const QByteArray& element, bool ok) const {
    return "<ns1:" + element + ">" + Element("Status", ok ? "OK" : "NG") + "</ns1:" + element + ">";
}

QByteArray NetCtlResponder::Wrap(const QByteArray& body) const {
    const QByteArray ns = TmTableXML::ServiceNamespace(QStringLiteral("deviceinfo")).toUtf8();
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\" "
                     "xmlns:ns1=\"" +
                     ns + "\"><SOAP-ENV:Body>" + body + "</SOAP-ENV:Body>" + kEnvelopeEnd + "\n";
    if (Fires(Fault::XmlMalformed))
        xml.truncate(xml.size() / 2);
    const QByteArray status = Fires(Fault::XmlNoOk) ? QByteArrayLiteral("HTTP/1.1 500 Internal Server Error")
                                                    : QByteArrayLiteral("HTTP/1.1 200 OK");
    return status + "\r\nServer: qdv70sim\r\nContent-Type: text/xml; charset=utf-8\r\nContent-Length: " +
           QByteArray::number(xml.size()) + "\r\nConnection: close\r\n\r\n" + xml;
}

} // namespace qdv::sim
