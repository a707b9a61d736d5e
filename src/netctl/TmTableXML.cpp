#include "netctl/TmTableXML.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

#include <functional>

namespace qdv {

namespace {

constexpr const char* kNamespaceHost = "http://switcher.example";

// Attribute values and element text of a request.
QByteArray Escaped(const QString& text) {
    return text.toHtmlEscaped().replace(QLatin1Char('\''), QLatin1String("&apos;")).toUtf8();
}

// Reads an answer document in one pass and hands each element's text to `take` with the element's
// position: the child index (0-based, among elements) of every element from the document element down.
// An element's text is all the character data inside it, that of child elements included. False for a
// malformed document, and for one nested deeper than TmTableXML::kMaxDepth: an answer never needs more
// than a few levels, and a deeper one is refused at its first element too deep, whatever its size.
using TakeText = std::function<void(const QList<int>& position, const QString& text)>;

bool ReadAnswer(const QByteArray& xml, const std::function<bool(const QList<int>&)>& wanted,
                const TakeText& take) {
    QXmlStreamReader reader(xml);
    reader.setNamespaceProcessing(false);
    QList<int> position;    // child index of each open element
    QList<int> children{0}; // children seen so far of each open element (the document first)
    QList<QString> texts;   // text gathered by each open element that is wanted
    QList<bool> gathering;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement:
            if (position.size() >= TmTableXML::kMaxDepth)
                return false;
            position.append(children.last()++);
            children.append(0);
            gathering.append(wanted(position));
            texts.append(QString());
            break;
        case QXmlStreamReader::EndElement:
            if (gathering.last())
                take(position, texts.last());
            position.removeLast();
            children.removeLast();
            gathering.removeLast();
            texts.removeLast();
            break;
        case QXmlStreamReader::Characters:
            for (qsizetype i = 0; i < gathering.size(); ++i) {
                if (gathering[i])
                    texts[i] += reader.text();
            }
            break;
        default:
            break;
        }
    }
    return !reader.hasError() && children.first() > 0;
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
    // The device info schema fixes the order of the members; they are read by position: the first
    // DeviceInfo is the envelope's first child's first child's first child.
    constexpr int kServerName = 3, kPort = 6, kBackUp = 8;
    const QList<int> info{0, 0, 0, 0};
    const QList<int> backUp = info + QList<int>{kBackUp};
    bool haveInfo = false, haveBackUp = false;
    QString serviceName, port, dir;
    std::vector<DeviceFile> files;
    const auto wanted = [&](const QList<int>& p) {
        haveInfo = haveInfo || p == info;
        haveBackUp = haveBackUp || p == backUp;
        if (p.size() < 5 || p.size() > 7 || p.first(4) != info)
            return false;
        if (p.size() == 5)
            return p[4] == kServerName || p[4] == kPort;
        // Dir and the File entries of BackUp, with each File's Name and Size.
        if (p[4] != kBackUp || p[5] > kMaxFiles)
            return false;
        return p.size() == 6 || (p[5] >= 1 && p[6] <= 1);
    };
    const auto take = [&](const QList<int>& p, const QString& text) {
        if (p.size() == 5) {
            (p[4] == kServerName ? serviceName : port) = text;
        } else if (p.size() == 6 && p[5] == 0) {
            dir = text;
        } else if (p.size() == 6) {
            files.resize(std::max<std::size_t>(files.size(), static_cast<std::size_t>(p[5])));
        } else if (p.size() == 7) {
            files.resize(std::max<std::size_t>(files.size(), static_cast<std::size_t>(p[5])));
            DeviceFile& f = files[static_cast<std::size_t>(p[5] - 1)];
            if (p[6] == 0)
                f.name = text;
            else
                f.size = text.trimmed().toUInt();
        }
    };
    if (xml.isEmpty() || !ReadAnswer(xml, wanted, take) || !haveInfo || !haveBackUp)
        return false;
    m_serviceName = serviceName;
    bool ok = false;
    const uint portNumber = port.trimmed().toUInt(&ok);
    m_configPort = ok && portNumber > 0 && portNumber <= 65535 ? static_cast<int>(portNumber) : 0;
    m_remoteDir = dir.left(kMaxDir);
    for (DeviceFile& f : files)
        f.usable = IsBareFileName(f.name);
    m_files = std::move(files);
    return true;
}

bool TmTableXML::StatusOk(const QByteArray& xml) {
    // The status is the response element's first child: the envelope's first child's first child's.
    const QList<int> status{0, 0, 0, 0};
    QString text;
    bool found = false;
    const auto take = [&](const QList<int>&, const QString& t) {
        text = t;
        found = true;
    };
    return ReadAnswer(
               xml, [&](const QList<int>& p) { return p == status; }, take) &&
           found && text == QLatin1String("OK");
}

int TmTableXML::PrepareFileList(bool station, Direction direction, const QString& stationFolder) {
    if (!station)
        return FileCount();
    if (direction == Direction::Receive) {
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
