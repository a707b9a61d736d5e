#pragma once

#include "sim/NetCtlResponder.h"

#include <QHostAddress>
#include <QObject>
#include <QTcpServer>
#include <memory>

namespace qdv::sim {

// The simulated network controller's two XML ports: each connection carries one request, answered
// when it is complete; the answer ends with the connection closed (unless a fault keeps it open).
class NetCtlServer final : public QObject {
public:
    // `faults` may be null; it must outlive the server.
    NetCtlServer(QString dataDir, FaultPlan* faults, QObject* parent = nullptr);
    ~NetCtlServer() override;

    // Listens for GetInfo on `getInfoPort` and for the configuration requests on `configPort` (0: any
    // free port each).
    bool Listen(const QHostAddress& address, quint16 getInfoPort, quint16 configPort, QString* error);
    quint16 GetInfoPort() const { return m_getInfo.serverPort(); }
    quint16 ConfigPort() const { return m_config.serverPort(); }
    QString DeviceFolder() const;

private:
    void Accept(QTcpServer& server, NetCtlResponder::Service service);

    QString m_dataDir;
    FaultPlan* m_faults;
    QTcpServer m_getInfo;
    QTcpServer m_config;
    std::unique_ptr<NetCtlResponder> m_responder;
};

} // namespace qdv::sim
