#include "SimProcess.h"

#include <QDir>
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

SimProcess::SimProcess(const QString& dataDir, const QStringList& faults) {
    QStringList args{"--data", dataDir, "--tcp", "0"};
    for (const QString& f : faults)
        args << "--fault" << f;
    m_process.setProgram(QStringLiteral(QDV70SIM_PATH));
    m_process.setArguments(args);
    m_process.setProcessEnvironment(EnglishEnvironment());
    m_process.start();
    if (!m_process.waitForStarted(5000))
        return;
    // The simulator says where it listens on its first line.
    QByteArray line;
    while (!line.contains('\n') && m_process.waitForReadyRead(5000))
        line += m_process.readAllStandardOutput();
    const QRegularExpressionMatch m = QRegularExpression(":(\\d+)").match(QString::fromLatin1(line));
    if (m.hasMatch())
        m_port = static_cast<quint16>(m.captured(1).toUInt());
}

SimProcess::~SimProcess() {
    m_process.terminate();
    if (!m_process.waitForFinished(3000))
        m_process.kill();
    m_process.waitForFinished(3000);
}

CliRun RunCli(const QStringList& args) {
    QProcess p;
    p.setProgram(QStringLiteral(QDV70CLI_PATH));
    p.setArguments(args);
    p.setProcessEnvironment(EnglishEnvironment());
    p.start();
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

void WriteLanHome(const QString& home, const QString& backupDir, quint16 port, int primaryMask) {
    QDir().mkpath(home);
    QFile f(QDir(home).filePath("QDV70LIST.INI"));
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(
        QStringLiteral("[SETUP]\nREG=1\n[SELECT LIST]\nSETUP=0\n[SETUP_1]\nNAME=Sim\nDIR=%1\nIP=127.0.0.1\n"
                       "SELECT_LAN=1\nREOTE3=%2\nSELECT_PRIMARY_BACKUP_FILE=%3\n")
            .arg(backupDir)
            .arg(port)
            .arg(primaryMask)
            .toUtf8());
}

} // namespace qdv::test
