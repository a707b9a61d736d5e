#pragma once

#include "sim/FaultPlan.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace qdv::sim {

// The network-controller side of the simulated controller: answers the XML exchange (GetInfo on one
// port, BackUpReady and PutFinish on the configuration port) like an HTTP server, from a flat folder of
// data files that an FTP server serves as the device's backup directory.
//
// It is pure: a request's bytes in, the answer's bytes out; the server around it carries them.
class NetCtlResponder {
public:
    // The device's backup directory: this folder of the data folder, "/backup" to FTP.
    static constexpr const char* kFolderName = "backup";

    enum class Service { GetInfo, Config };

    // `faults` may be null.
    NetCtlResponder(QString deviceFolder, quint16 configPort, FaultPlan* faults);

    // Makes the backup directory in `dataDir` when it is missing, filled with the data folder's files
    // (the Primary set, the description and the crosspoint file) as one flat folder.
    static bool PrepareDeviceFolder(const QString& dataDir, QString* error);

    // True once `request` holds a whole request document.
    static bool RequestComplete(QByteArrayView request);
    // The answer to a complete request on a service's port.
    QByteArray Answer(Service service, QByteArrayView request) const;
    // The never-close fault: the connection stays open after the answer.
    bool KeepOpen() const;

private:
    QByteArray GetInfoBody() const;
    QByteArray StatusBody(const QByteArray& element, bool ok) const;
    QByteArray Wrap(const QByteArray& body) const;
    bool Fires(Fault fault) const;

    QString m_folder;
    quint16 m_configPort;
    FaultPlan* m_faults;
};

} // namespace qdv::sim
