#include "support/SimProcess.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcessEnvironment>
#include <QRegularExpression>

namespace qdv::test {

namespace {
QProcessEnvironment EnglishEnvironment() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LANG", "C.UTF-8");
    env.insert("LC_ALL", "C.UTF-8");
    env.remove("QDV70_HOME");
    return env;
}
} // namespace

SimProcess::SimProcess(const QString& dataDir, const QStringList& faults, const QStringList& extra) {
    QString line = Start(QStringList{"--data", dataDir, "--tcp", "0"} + extra, faults);
    // With --discovery the simulator names its UDP port first.
    const QRegularExpression discovery("discovery on [0-9.]+:(\\d+)");
    if (const QRegularExpressionMatch d = discovery.match(line); d.hasMatch()) {
        m_discoveryPort = static_cast<quint16>(d.captured(1).toUInt());
        line = ReadLine();
    }
    const QRegularExpressionMatch m = QRegularExpression("listening on [0-9.]+:(\\d+)").match(line);
    if (m.hasMatch())
        m_port = static_cast<quint16>(m.captured(1).toUInt());
    // A network controller names its GetInfo port on the next line.
    if (extra.contains("--netctl"))
        m_getInfoPort =
            static_cast<quint16>(QRegularExpression("getinfo (\\d+)").match(ReadLine()).captured(1).toUInt());
}

SimProcess::SimProcess(const QString& dataDir, const QStringList& faults, const QString& serialPath,
                       const QStringList& extra) {
    m_serial = Start(QStringList{"--data", dataDir, "--serial", serialPath} + extra, faults)
                   .contains(QLatin1String("serial line at"));
}

SimProcess::SimProcess(DiscoveryOnly, const QStringList& extra) {
    const QString line = Start(QStringList{"--discovery", "0"} + extra, {});
    const QRegularExpressionMatch m = QRegularExpression("discovery on [0-9.]+:(\\d+)").match(line);
    if (m.hasMatch())
        m_port = static_cast<quint16>(m.captured(1).toUInt());
}

SimProcess::SimProcess(Python, const QStringList& args) {
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start(QStringLiteral("/usr/bin/python3"), args);
    const QRegularExpression serving("127\\.0\\.0\\.1:(\\d+)");
    QString said;
    for (int i = 0; i < 100 && !said.contains(serving) && m_process.waitForReadyRead(30000); ++i)
        said += QString::fromUtf8(m_process.readAll());
    m_port = static_cast<quint16>(serving.match(said).captured(1).toUInt());
}

QString SimProcess::Start(QStringList args, const QStringList& faults) {
    for (const QString& f : faults)
        args << "--fault" << f;
    m_process.setProgram(QStringLiteral(QDV70SIM_PATH));
    m_process.setArguments(args);
    m_process.setProcessEnvironment(EnglishEnvironment());
    m_process.start();
    if (!m_process.waitForStarted(5000))
        return {};
    // The simulator says where it serves on its first line.
    return ReadLine();
}

QString SimProcess::ReadLine() {
    QByteArray line;
    while (!line.contains('\n') && (m_process.canReadLine() || m_process.waitForReadyRead(5000)))
        line += m_process.readLine();
    return QString::fromLatin1(line);
}

SimProcess::~SimProcess() {
    m_process.terminate();
    if (!m_process.waitForFinished(3000))
        m_process.kill();
    m_process.waitForFinished(3000);
}

bool StartCli(QProcess& cli, const QStringList& args, const QStringList& wrapper) {
    const QStringList command = wrapper + QStringList{QStringLiteral(QDV70CLI_PATH)} + args;
    cli.setProgram(command.front());
    cli.setArguments(command.mid(1));
    cli.setProcessEnvironment(EnglishEnvironment());
    cli.setReadChannel(QProcess::StandardError);
    cli.start();
    return cli.waitForStarted(10000);
}

bool ReadErrUntil(QProcess& cli, QByteArray* err, const QByteArray& marker) {
    QElapsedTimer t;
    t.start();
    while (!err->contains(marker) && t.elapsed() < 20000 &&
           (cli.waitForReadyRead(1000) || cli.state() == QProcess::Running))
        *err += cli.readAllStandardError();
    *err += cli.readAllStandardError();
    return err->contains(marker);
}

CliRun RunCli(const QStringList& args, const QStringList& wrapper) {
    QProcess p;
    StartCli(p, args, wrapper);
    CliRun r;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

namespace {
void WriteFile(const QString& home, const QString& name, const QByteArray& data) {
    QDir().mkpath(home);
    QFile f(QDir(home).filePath(name));
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(data);
}

void WriteHome(const QString& home, const QString& link, int primaryMask, const QString& comm) {
    WriteFile(home, "QDV70LIST.INI",
              QStringLiteral("[SETUP]\nREG=1\n[SELECT LIST]\nSETUP=0\n[SETUP_1]\nNAME=Sim\n%1"
                             "SELECT_PRIMARY_BACKUP_FILE=%2\n")
                  .arg(link)
                  .arg(primaryMask)
                  .toUtf8());
    WriteFile(home, "QDV70COMM.INI", (comm + "[UDP]\nBROADCAST=127.255.255.255\n").toUtf8());
}
} // namespace

void WriteLanHome(const QString& home, const QString& backupDir, quint16 port, int primaryMask,
                  const QString& comm) {
    WriteHome(home,
              QStringLiteral("DIR=%1\nIP=127.0.0.1\nSELECT_LAN=1\nREOTE3=%2\n").arg(backupDir).arg(port),
              primaryMask, comm);
}

void WriteDiscoveryHome(const QString& home, quint16 udpPort, const QString& broadcast) {
    WriteFile(home, "QDV70COMM.INI",
              QStringLiteral("[PORT]\nZEBU=%1\n[UDP]\nBROADCAST=%2\n").arg(udpPort).arg(broadcast).toUtf8());
}

void WriteSerialHome(const QString& home, const QString& backupDir, const QString& device, int primaryMask) {
    WriteHome(home, QStringLiteral("DIR=%1\nSELECT_LAN=0\nCOM=1\n").arg(backupDir), primaryMask,
              QStringLiteral("[SERIAL]\nCOM1=%1\n").arg(device));
}

} // namespace qdv::test
