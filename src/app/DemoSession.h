#pragma once

#include <QProcess>
#include <QString>

namespace qdv {

// The demo of the desktop program: a simulated primary controller (qdv70sim) serving a sample plant on
// a free loopback port, also as a network controller (its XML exchange, and an FTP server on the same
// folder, so that LAN jobs go through the exchange and show "FTP OK."), a backup folder that already holds
// the sample's files (so that Send works at once), and a home folder of its own whose only setup points at
// the simulator. The operator's own setups are never touched. The simulator stops when the session goes.
//
// Layout of the demo folder: device/ (what the simulator serves and stores), backup/ (the setup's
// backup data path) and home/ (QDV70LIST.INI of the demo, and QDV70COMM.INI sending the device search to
// the simulated devices on loopback).
class DemoSession {
public:
    static constexpr const char* kSetupName = "Demo (simulated controller)";

    explicit DemoSession(QString folder);
    ~DemoSession();

    DemoSession(const DemoSession&) = delete;
    DemoSession& operator=(const DemoSession&) = delete;

    // The user's demo folder: $XDG_DATA_HOME/qdv70/demo (normally ~/.local/share/qdv70/demo).
    static QString DefaultFolder();
    // qdv70sim beside the running executable, else on the PATH; empty when there is none.
    static QString FindSimulator();

    // Writes the sample data set where it is missing (what earlier demos received or sent is kept),
    // starts `simulator` and writes the demo setup with the port it listens on. False, with `error`
    // set, when a folder cannot be made or the simulator does not start.
    bool Start(const QString& simulator, QString* error);

    QString Home() const;
    QString BackupFolder() const;
    QString DeviceFolder() const;
    quint16 Port() const { return m_port; }
    // The UDP port the simulated devices answer discovery on (QDV70COMM.INI [PORT] ZEBU of the demo).
    quint16 UdpPort() const { return m_udpPort; }
    quint16 GetInfoPort() const { return m_getInfoPort; }
    quint16 FtpPort() const { return m_ftpPort; }

private:
    bool MakeSample(const QString& simulator, const QString& dir, QString* error);
    bool StartSimulator(const QString& simulator, QString* error);
    bool StartFtpServer(QString* error);
    bool WriteSetup(QString* error) const;
    bool WriteDeviceInfo(QString* error) const;

    QString m_folder;
    QProcess m_sim;
    QProcess m_ftp;
    quint16 m_port = 0;
    quint16 m_udpPort = 0;
    quint16 m_getInfoPort = 0;
    quint16 m_ftpPort = 0;
};

} // namespace qdv
