#pragma once

#include "store/JobKind.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <vector>

namespace qdv {

// The XML exchange with a network controller: writes the three request documents (GetInfoReq,
// BackUpReadyReq, PutFinishReq) into the home folder's XMLDoc/, captures the XML part of the device's
// HTTP-like answers into the response documents beside them, and reads the answers: the device's service
// name, its configuration port, the remote backup directory and the device file table.
//
// It sends nothing itself: the network backup sequence carries the bytes and says which answer came.
class TmTableXML {
public:
    // A device answer is read whole up to this size; what comes beyond it is dropped.
    static constexpr qsizetype kMaxAnswer = 1024 * 1024;
    static constexpr int kMaxFiles = 265;
    static constexpr int kMaxName = 255;
    static constexpr int kMaxDir = 255;
    // An answer's elements lie at most seven levels deep (envelope, body, response, DeviceInfo, BackUp,
    // File, Name); a deeper answer is refused as malformed.
    static constexpr int kMaxDepth = 12;

    enum class Request { GetInfo, BackUpReady, PutFinish };

    struct DeviceFile {
        QString name;
        std::uint32_t size = 0;
        // False for a name that is not a bare file name (a path, "..", a control character, empty or too
        // long): such a file is never written or read locally.
        bool usable = false;
    };

    explicit TmTableXML(QString xmlDocFolder);

    // The namespace of a service: "http://switcher.example/pro/switcher/<service>/configurationservice".
    static QString ServiceNamespace(const QString& service);
    // The bytes of a request document. `serviceName` is the device's (ignored for GetInfo), `fileName`
    // the bare name sent in Path (ignored for GetInfo); both are XML-escaped.
    static QByteArray RequestText(Request request, const QString& serviceName, const QString& fileName);
    // Cuts the XML part out of an answer: a status line holding "OK", four lines dropped unread, then
    // everything after the first '>' of a stretch holding "<?xml". False when there is no such part.
    static bool CaptureXml(QByteArrayView answer, QByteArray* xml);
    // A bare file name: not empty, at most 255 characters, no '/', '\', "..", or control character.
    static bool IsBareFileName(QStringView name);

    // Writes the request document anew and reads it back whole into `out`; false when the document
    // cannot be written or read back completely.
    bool BuildRequest(Request request, const QString& fileName, QByteArray* out) const;
    // Captures an answer into its response document and reads it: the device information for GetInfo,
    // the status ("OK" exactly) for the other two. False on any failure, a malformed document included.
    bool AcceptResponse(Request request, QByteArrayView answer);

    // The local station folder's files for an upload (first *.DAT, then *.DAU, by name); for a download
    // the folder is made and the device's list kept. Without the station flag nothing changes. Returns
    // the device file count.
    int PrepareFileList(bool station, Direction direction, const QString& stationFolder);

    // Reads the GetInfo answer document `xml` into the device information, in one pass.
    bool ReadGetInfo(const QByteArray& xml);
    // True when the answer document's status element reads exactly "OK".
    static bool StatusOk(const QByteArray& xml);

    const QString& ServiceName() const { return m_serviceName; }
    int ConfigPort() const { return m_configPort; }
    const QString& RemoteDir() const { return m_remoteDir; }
    int FileCount() const { return static_cast<int>(m_files.size()); }
    // Entry `index` (1-based) of the device file table; null past the count.
    const DeviceFile* File(int index) const;
    // True when the table holds exactly (case-sensitive) this name.
    bool FileKnown(const QString& name) const;

private:
    static QString DocumentName(Request request, bool response);
    QString DocumentPath(Request request, bool response) const;

    QString m_folder;
    QString m_serviceName;
    int m_configPort = 0;
    QString m_remoteDir;
    std::vector<DeviceFile> m_files;
};

} // namespace qdv
