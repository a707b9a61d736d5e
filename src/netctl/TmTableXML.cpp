#include "netctl/TmTableXML.h"

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QFileInfo>

namespace qdv {

namespace {

constexpr const char* kNamespaceHost = "http://switcher.example";

// Attribute values and element text of a request.
QByteArray Escaped(const QString& text) {
    return text.toHtmlEscaped().replace(QLatin1Char('\''), QLatin1String("&apos;")).toUtf8();
}

// Child element `index` (0-based) of `node`, counted by position among the element children.
QDomElement ChildAt(const QDomNode& node, int index) {
    QDomElement e = node.firstChildElement();
    for (int i = 0; i < index && !e.isNull(); ++i)
        e = e.nextSiblingElement();
    return e;
}

int ChildCount(const QDomNode& node) {
    int n = 0;
    for (QDomElement e = node.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        ++n;
    return n;
}

// The response element of an answer: the envelope's first child's first child.
QDomElement ResponseElement(const QByteArray& xml) {
    QDomDocument doc;
    if (!doc.setContent(xml))
        return {}; // malformed: no element at all
    return ChildAt(ChildAt(doc, 0), 0).firstChildElement();
}

bool WriteWhole(const QString& path, QByteArrayView bytes) {
    QFile::remove(path);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    return f.write(bytes.data(), bytes.size()) == bytes.size() && f.flush();
}

} // namespace

TmTableXML::TmTableXML(QString xmlDocFolder) : m_folder(std::move(xmlDocFolder)) {}

QString TmTableXML::ServiceNamespace(const QString& service) {
    return QStringLiteral("%1/pro/switcher/%2/configurationservice")
        .arg(QLatin1String(kNamespaceHost), service);
}

QByteArray TmTableXML::RequestText(Request request, const QString& serviceName, const QString& fileName) {
    const bool getInfo = request == Request::GetInfo;
    const QByteArray binding = getInfo ? QByteArrayLiteral("DeviceInfo") : Escaped(serviceName);
    const QByteArray ns =
        Escaped(ServiceNamespace(getInfo ? QStringLiteral("deviceinfo") : serviceName.toLower()));
    const QByteArray element = getInfo                           ? QByteArrayLiteral("GetInfoReq")
                               : request == Request::BackUpReady ? QByteArrayLiteral("BackUpReadyReq")
                                                                 : QByteArrayLiteral("PutFinishReq");
    QByteArray t;
    t += "<SOAP-ENV:Envelope\n";
    t += "xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\"\n";
    t += "xmlns:SOAP-ENC=\"http://schemas.xmlsoap.org/soap/encoding/\"\n";
    t += "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"\n";
    t += "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\"\n";
    t += "xmlns:ns2=\"" + binding + "ConfigurationSoapBinding\"\n";
    t += "xmlns:ns1=\"" + ns + "\">\n";
    t += "<SOAP-ENV:Body id=\"_0\">\n";
    t += "<" + element + " xmlns=\"" + ns + "\">\n";
    if (!getInfo)
        t += "<Path>" + Escaped(fileName) + "</Path>\n";
    t += "</" + element + ">\n";
    t += "</SOAP-ENV:Body>\n";
    t += "</SOAP-ENV:Envelope>\n";
    return t;
}

bool TmTableXML::CaptureXml(QByteArrayView answer, QByteArray* xml) {
    // The first carriage return ends the status line, the next four end header lines read past; after
    // that the text is gathered up to each '>' until a stretch holds the XML declaration.
    constexpr int kLinesBeforeXml = 5;
    int lines = 0;
    QByteArray statusLine;
    qsizetype gatherFrom = -1;
    for (qsizetype i = 0; i < answer.size(); ++i) {
        const char c = answer[i];
        if (lines < kLinesBeforeXml) {
            if (c == '\n')
                continue;
            if (c == '\r') {
                if (lines == 0 && !statusLine.contains("OK"))
                    return false;
                if (++lines == kLinesBeforeXml)
                    gatherFrom = i + 1;
            } else if (lines == 0) {
                statusLine.append(c);
            }
            continue;
        }
        if (c != '>')
            continue;
        if (answer.sliced(gatherFrom, i + 1 - gatherFrom).toByteArray().contains("<?xml")) {
            *xml = answer.sliced(i + 1).toByteArray();
            return true;
        }
        gatherFrom = i + 1;
    }
    return false;
}

bool TmTableXML::IsBareFileName(QStringView name) {
    if (name.isEmpty() || name.size() > kMaxName || name.contains(QLatin1String("..")))
        return false;
    for (const QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
    }
    return true;
}

QString TmTableXML::DocumentName(Request request, bool response) {
    const char* base = request == Request::GetInfo       ? "GetInfo"
                       : request == Request::BackUpReady ? "BackUpReady"
                                                         : "PutFinish";
    return QStringLiteral("%1%2.xml")
        .arg(QLatin1String(base), response ? QLatin1String("Res") : QLatin1String("Req"));
}

QString TmTableXML::DocumentPath(Request request, bool response) const {
    return QDir(m_folder).filePath(DocumentName(request, response));
}

bool TmTableXML::BuildRequest(Request request, const QString& fileName, QByteArray* out) const {
    const QByteArray text = RequestText(request, m_serviceName, fileName);
    const QString path = DocumentPath(request, false);
    if (!WriteWhole(path, text))
        return false;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    *out = f.readAll();
    return out->size() == text.size();
}

bool TmTableXML::AcceptResponse(Request request, QByteArrayView answer) {
    const QString path = DocumentPath(request, true);
    QFile::remove(path);
    QByteArray xml;
    if (!CaptureXml(answer.first(std::min(answer.size(), kMaxAnswer)), &xml) || !WriteWhole(path, xml))
        return false;
    return request == Request::GetInfo ? ReadGetInfo(xml) : StatusOk(xml);
}

bool TmTableXML::ReadGetInfo(const QByteArray& xml) {
    m_files.clear();
    QDomDocument doc;
    if (xml.isEmpty() || !doc.setContent(xml))
        return false;
    // The device info schema fixes the order of the members; they are read by position.
    constexpr int kServerName = 3, kPort = 6, kBackUp = 8;
    const QDomElement info = ChildAt(ChildAt(ChildAt(doc, 0), 0), 0).firstChildElement();
    const QDomElement backUp = ChildAt(info, kBackUp);
    if (info.isNull() || backUp.isNull())
        return false;
    m_serviceName = ChildAt(info, kServerName).text();
    bool ok = false;
    const uint port = ChildAt(info, kPort).text().trimmed().toUInt(&ok);
    m_configPort = ok && port > 0 && port <= 65535 ? static_cast<int>(port) : 0;
    m_remoteDir = ChildAt(backUp, 0).text().left(kMaxDir);
    const int count = std::min(ChildCount(backUp) - 1, kMaxFiles);
    for (int i = 1; i <= count; ++i) {
        const QDomElement file = ChildAt(backUp, i);
        DeviceFile f;
        f.name = ChildAt(file, 0).text();
        f.size = ChildAt(file, 1).text().trimmed().toUInt();
        f.usable = IsBareFileName(f.name);
        m_files.push_back(f);
    }
    return true;
}

bool TmTableXML::StatusOk(const QByteArray& xml) {
    return ResponseElement(xml).firstChildElement().text() == QLatin1String("OK");
}

int TmTableXML::PrepareFileList(bool station, bool upload, const QString& stationFolder) {
    if (!station)
        return FileCount();
    if (!upload) {
        QDir().mkpath(stationFolder);
        return FileCount();
    }
    m_files.clear();
    const QDir dir(stationFolder);
    for (const char* pattern : {"*.DAT", "*.DAU"}) {
        // Name filters match without regard to case, as the folder may come from Windows.
        const QFileInfoList found = dir.entryInfoList({QLatin1String(pattern)}, QDir::Files, QDir::Name);
        for (const QFileInfo& fi : found) {
            if (FileCount() >= kMaxFiles)
                return FileCount();
            m_files.push_back(
                {fi.fileName(), static_cast<std::uint32_t>(fi.size()), IsBareFileName(fi.fileName())});
        }
    }
    return FileCount();
}

const TmTableXML::DeviceFile* TmTableXML::File(int index) const {
    if (index < 1 || index > FileCount())
        return nullptr;
    return &m_files[static_cast<std::size_t>(index - 1)];
}

bool TmTableXML::FileKnown(const QString& name) const {
    return std::any_of(m_files.begin(), m_files.end(), [&](const DeviceFile& f) { return f.name == name; });
}

} // namespace qdv
