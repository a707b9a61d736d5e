#pragma once

#include <QJsonDocument>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace qdv::test {

// A qdv70sim process serving a data folder on a free loopback port (or, with Python, a Python program
// serving on loopback), stopped when the object goes.
class SimProcess {
public:
    // `extra` are further options such as --disabled-station.
    SimProcess(const QString& dataDir, const QStringList& faults = {}, const QStringList& extra = {});
    // Serves a serial line instead, a pseudo terminal linked at `serialPath`; `extra` are further
    // options such as --line-rate.
    SimProcess(const QString& dataDir, const QStringList& faults, const QString& serialPath,
               const QStringList& extra = {});
    // Only simulated devices answering discovery requests on a free UDP port: `extra` such as
    // {"--devices", "200"}.
    struct DiscoveryOnly {};
    SimProcess(DiscoveryOnly, const QStringList& extra);
    // python3 with `args` (the FTP server, or a peer of tests/integration/hostile_peer.py); its port is the
    // first 127.0.0.1:PORT it prints.
    struct Python {};
    SimProcess(Python, const QStringList& args);
    ~SimProcess();
    bool Ok() const { return m_port != 0 || m_serial; }
    quint16 Port() const { return m_port; }
    // The UDP port of the simulated devices when --discovery was among the options, else 0.
    quint16 DiscoveryPort() const { return m_discoveryPort; }
    // The network controller's GetInfo port when --netctl was among the options, else 0.
    quint16 GetInfoPort() const { return m_getInfoPort; }

private:
    // Starts the simulator and returns its first line, which says where it serves.
    QString Start(QStringList args, const QStringList& faults);
    QString ReadLine();

    QProcess m_process;
    quint16 m_port = 0;
    quint16 m_discoveryPort = 0;
    quint16 m_getInfoPort = 0;
    bool m_serial = false;
};

// The result of one qdv70cli run.
struct CliRun {
    int exitCode = -1;
    QString out;
    QString err;
    QJsonDocument Json() const { return QJsonDocument::fromJson(out.toUtf8()); }
    QStringList Lines() const { return out.split('\n', Qt::SkipEmptyParts); }
};

// Runs qdv70cli with the given arguments in an English environment and waits for it (at most 60 s).
// A `wrapper` command (e.g. one that changes the user) runs it instead when given.
CliRun RunCli(const QStringList& args, const QStringList& wrapper = {});
// Starts qdv70cli so in `cli` without waiting for it to end.
bool StartCli(QProcess& cli, const QStringList& args, const QStringList& wrapper = {});
// Reads the stderr of a running qdv70cli into `err` until it holds `marker` (at most 20 s).
bool ReadErrUntil(QProcess& cli, QByteArray* err, const QByteArray& marker);

// Writes QDV70COMM.INI of a home that searches for devices on loopback: the UDP port and
// [UDP] BROADCAST=127.255.255.255 (or `broadcast`).
void WriteDiscoveryHome(const QString& home, quint16 udpPort, const QString& broadcast = "127.255.255.255");

// Writes a home folder whose QDV70LIST.INI has one LAN setup "Sim" pointing at `backupDir` and the
// simulator's port, selected, and whose QDV70COMM.INI holds `comm` and the loopback broadcast.
void WriteLanHome(const QString& home, const QString& backupDir, quint16 port, int primaryMask = 255,
                  const QString& comm = {});
// The same with a serial setup on COM1, whose device QDV70COMM.INI sets to `device`.
void WriteSerialHome(const QString& home, const QString& backupDir, const QString& device,
                     int primaryMask = 255);

} // namespace qdv::test
