#pragma once

#include "sim/FaultPlan.h"
#include "sim/SimulatedController.h"

#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <memory>

namespace qdv::sim {

// Carries the simulated controller over TCP: one connection at a time, each with a fresh controller
// over the same data folder and the same fault plan. Further connections wait in the listen queue
// until the current one ends.
class SimServer : public QObject {
    Q_OBJECT
public:
    SimServer(QString dataDir, FaultPlan* faults, QObject* parent = nullptr);
    ~SimServer() override;

    // Port 0 picks a free port; Port() tells which.
    bool Listen(const QHostAddress& address, quint16 port, QString* error);
    QHostAddress Address() const { return m_server.serverAddress(); }
    quint16 Port() const { return m_server.serverPort(); }

private:
    void TakeNextConnection();
    void OnReadyRead();
    void OnDisconnected();

    QString m_dir;
    FaultPlan* m_faults;
    QTcpServer m_server;
    QPointer<QTcpSocket> m_socket;
    std::unique_ptr<SimulatedController> m_controller;
    bool m_receiving = false;
};

} // namespace qdv::sim
