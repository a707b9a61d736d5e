#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace qdv::test {

// A qdv70sim process serving a data folder on a free loopback port, stopped when the object goes.
class SimProcess {
public:
    SimProcess(const QString& dataDir, const QStringList& faults = {});
    ~SimProcess();
    bool Ok() const { return m_port != 0; }
    quint16 Port() const { return m_port; }

private:
    QProcess m_process;
    quint16 m_port = 0;
};

// The result of one qdv70cli run.
struct CliRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs qdv70cli with the given arguments in an English environment and waits for it (at most 60 s).
CliRun RunCli(const QStringList& args);

// Writes a home folder whose QDV70LIST.INI has one LAN setup "Sim" pointing at `backupDir` and the
// simulator's port, selected.
void WriteLanHome(const QString& home, const QString& backupDir, quint16 port, int primaryMask = 255);

} // namespace qdv::test
