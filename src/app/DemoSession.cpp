#include "app/DemoSession.h"

#include "store/AtomicFile.h"
#include "store/IniFile.h"
#include "store/PathNoCase.h"
#include "store/TmFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#include <memory>

namespace qdv {
namespace {

// What went wrong with a helper process: its own words when it said any, else why it did not run.
QString ProcessFailure(QProcess& p) {
    const QString said = QString::fromLocal8Bit(p.readAllStandardError()).trimmed();
    return said.isEmpty() ? p.errorString() : said;
}

constexpr int kStartMs = 5000;
constexpr int kSampleMs = 30000;
constexpr int kStopMs = 3000;
constexpr int kReceiveButtons = 15;
constexpr int kSendButtons = 63;
constexpr int kEditButtons = 3;
constexpr int kAllPrimaryFiles = 255;

} // namespace

DemoSession::DemoSession(QString folder) : m_folder(std::move(folder)) {}

DemoSession::~DemoSession() {
    for (QProcess* p : {&m_ftp, &m_sim}) {
        if (p->state() == QProcess::NotRunning)
            continue;
        p->terminate();
        if (!p->waitForFinished(kStopMs)) {
            p->kill();
            p->waitForFinished(kStopMs);
        }
    }
}

QString DemoSession::DefaultFolder() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(data.isEmpty() ? QDir::homePath() : data).filePath(QStringLiteral("qdv70/demo"));
}

QString DemoSession::FindSimulator() {
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("qdv70sim"));
    if (QFileInfo(beside).isExecutable())
        return beside;
    return QStandardPaths::findExecutable(QStringLiteral("qdv70sim"));
}

QString DemoSession::Home() const {
    return QDir(m_folder).filePath(QStringLiteral("home"));
}

QString DemoSession::BackupFolder() const {
    return QDir(m_folder).filePath(QStringLiteral("backup"));
}

QString DemoSession::DeviceFolder() const {
    return QDir(m_folder).filePath(QStringLiteral("device"));
}

bool DemoSession::Start(const QString& simulator, QString* error) {
    if (simulator.isEmpty()) {
        *error = QStringLiteral("qdv70sim was found neither beside this program nor on the PATH");
        return false;
    }
    for (const QString& dir : {Home(), BackupFolder(), DeviceFolder()}) {
        if (!TmFile::EnsureDirectory(dir, error))
            return false;
    }
    return MakeSample(simulator, DeviceFolder(), error) && MakeSample(simulator, BackupFolder(), error) &&
           StartSimulator(simulator, error) && StartFtpServer(error) && WriteSetup(error);
}

bool DemoSession::MakeSample(const QString& simulator, const QString& dir, QString* error) {
    // A folder with its Primary data is one an earlier demo filled; what it received since is kept.
    if (QFileInfo(JoinNoCase(dir, QStringLiteral("Primary"))).isDir())
        return true;
    QProcess make;
    make.start(simulator, {QStringLiteral("--make-sample"), dir});
    if (!make.waitForFinished(kSampleMs) || make.exitStatus() != QProcess::NormalExit ||
        make.exitCode() != 0) {
        *error =
            QStringLiteral("cannot write the sample data set into %1: %2").arg(dir, ProcessFailure(make));
        if (make.state() != QProcess::NotRunning)
            make.kill();
        return false;
    }
    return true;
}

bool DemoSession::StartSimulator(const QString& simulator, QString* error) {
    m_sim.setProcessChannelMode(QProcess::SeparateChannels);
    // The simulator is a network controller too, and plays devices answering the device search on a free
    // UDP port of its own.
    m_sim.start(simulator,
                {QStringLiteral("--data"), DeviceFolder(), QStringLiteral("--tcp"), QStringLiteral("0"),
                 QStringLiteral("--netctl"), QStringLiteral("--discovery"), QStringLiteral("0")});
    // The simulator says where it listens, a line each: the packet protocol, the network controller's
    // ports, the device search.
    const QRegularExpression listening(QStringLiteral("listening on [0-9.]+:(\\d+)"));
    const QRegularExpression getInfo(QStringLiteral("getinfo (\\d+)"));
    const QRegularExpression discovery(QStringLiteral("discovery on [0-9.]+:(\\d+)"));
    QString lines;
    while (!(lines.contains(listening) && lines.contains(getInfo) && lines.contains(discovery)) &&
           m_sim.waitForReadyRead(kStartMs))
        lines += QString::fromLatin1(m_sim.readAllStandardOutput());
    if (const QRegularExpressionMatch m = listening.match(lines); m.hasMatch())
        m_port = static_cast<quint16>(m.captured(1).toUInt());
    if (const QRegularExpressionMatch m = getInfo.match(lines); m.hasMatch())
        m_getInfoPort = static_cast<quint16>(m.captured(1).toUInt());
    if (const QRegularExpressionMatch m = discovery.match(lines); m.hasMatch())
        m_udpPort = static_cast<quint16>(m.captured(1).toUInt());
    if (m_port == 0 || m_getInfoPort == 0 || m_udpPort == 0) {
        *error = QStringLiteral("the simulator did not start: %1").arg(ProcessFailure(m_sim));
        return false;
    }
    return true;
}

// The network controller's FTP side: the FTP server of the system's Python on the device folder, with
// the login network controllers have out of the box.
bool DemoSession::StartFtpServer(QString* error) {
    m_ftp.setProcessChannelMode(QProcess::MergedChannels);
    m_ftp.start(QStringLiteral("/usr/bin/python3"),
                {QStringLiteral("-m"), QStringLiteral("pyftpdlib"), QStringLiteral("-i"),
                 QStringLiteral("127.0.0.1"), QStringLiteral("-p"), QStringLiteral("0"), QStringLiteral("-d"),
                 DeviceFolder(), QStringLiteral("-w"), QStringLiteral("-u"), QStringLiteral("admin"),
                 QStringLiteral("-P"), QStringLiteral("mrvt3904")});
    const QRegularExpression started(QStringLiteral("FTP server on [0-9.]+:(\\d+)"));
    QByteArray said;
    QRegularExpressionMatch m;
    while (!(m = started.match(QString::fromLatin1(said))).hasMatch() && m_ftp.waitForReadyRead(kStartMs))
        said += m_ftp.readAll();
    if (m.hasMatch())
        m_ftpPort = static_cast<quint16>(m.captured(1).toUInt());
    if (m_ftpPort == 0) {
        *error = QStringLiteral("the FTP server (python3-pyftpdlib) did not start: %1")
                     .arg(said.isEmpty() ? m_ftp.errorString() : QString::fromLocal8Bit(said).trimmed());
        return false;
    }
    return true;
}

bool DemoSession::WriteSetup(QString* error) const {
    auto table = std::make_unique<SetupTable>();
    table->count = 1;
    table->selected = 0;
    SetupRecord& r = table->records[0];
    r.name = QString::fromLatin1(kSetupName);
    r.SetBackupDataPath(BackupFolder());
    r.selectLan = true;
    r.ipAddress = QStringLiteral("127.0.0.1");
    r.comPort = 1;
    r.remote3Port = m_port;
    r.primaryBackupFiles = kAllPrimaryFiles;
    r.receiveAll = r.sendAll = r.editAll = true;
    r.receiveButtons = kReceiveButtons;
    r.sendButtons = kSendButtons;
    r.editButtons = kEditButtons;
    table->fonts[0].name = MenuFont().name;
    table->fonts[0].height = MenuFont().height;
    if (!WriteDeviceInfo(error) || !TmFile(Home()).SaveSetupList(*table, error))
        return false;
    // The network controller's ports; the device search goes to the simulated devices on loopback, never
    // to the LAN; the hosted services of the demo answer on loopback only.
    IniFile comm;
    const QString commPath = TmFile(Home()).CommFilePath();
    comm.Load(commPath);
    comm.WriteInteger(QStringLiteral("PORT"), QStringLiteral("GETINFO"), m_getInfoPort);
    comm.WriteInteger(QStringLiteral("PORT"), QStringLiteral("FTP"), m_ftpPort);
    comm.WriteInteger(QStringLiteral("PORT"), QStringLiteral("ZEBU"), m_udpPort);
    comm.WriteString(QStringLiteral("UDP"), QStringLiteral("BROADCAST"), QStringLiteral("127.255.255.255"));
    comm.WriteString(QStringLiteral("SOAP"), QStringLiteral("BIND"), QStringLiteral("127.0.0.1"));
    return comm.Save(commPath, error);
}

// Device type names for the sample plant's secondary stations; installation data of a real plant, so
// only the demo writes one, and keeps one it finds.
bool DemoSession::WriteDeviceInfo(QString* error) const {
    const QString path = QDir(Home()).filePath(QStringLiteral("Device/DeviceInfo.txt"));
    if (QFileInfo::exists(path))
        return true;
    return TmFile::EnsureDirectory(QFileInfo(path).absolutePath(), error) &&
           WriteFileAtomically(path, "1,Control Panel,n\r\n2,Router Frame,y\r\n", error);
}

} // namespace qdv
