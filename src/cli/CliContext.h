#pragma once

#include "store/FolderLock.h"
#include "store/SetupRecord.h"
#include "store/TmFile.h"

#include <QCommandLineOption>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <memory>

namespace qdv::cli {

// Exit statuses of qdv70cli.
enum ExitStatus : int {
    kExitOk = 0,
    kExitFailed = 1,   // the job failed, files are missing, or a conversion refused its input
    kExitUsage = 2,    // usage error or unknown setup
    kExitAborted = 130 // interrupted by Ctrl-C
};

// What every command works with: the home folder with its settings files, the setups and the setup
// the command line chose.
class CliContext {
public:
    // Results go to `out`, messages to `err` (stdout and stderr in the tool, strings in tests).
    CliContext(QTextStream& out, QTextStream& err) : m_out(out), m_err(err) {}

    // Parses the global options (--home DIR, --setup NAME|NUMBER) off the front of `args`, which keeps
    // the command and its words. False on a malformed option, with `error` set.
    bool ParseOptions(QStringList& args, QString* error);
    // The global options ParseOptions takes.
    static QList<QCommandLineOption> GlobalOptions();
    // Loads the settings of the home folder.
    void Load();

    QTextStream& Out() { return m_out; }
    QTextStream& Err() { return m_err; }

    const QString& Home() const { return m_home; }
    TmFile& File() { return *m_file; }
    const SetupTable& Setups() const { return *m_setups; }
    SetupTable& Setups() { return *m_setups; }
    const PortSettings& Ports() const { return m_ports; }
    // --wait-folder: how long a command waits for a backup folder another writer holds.
    int FolderWaitSeconds() const { return m_folderWaitSeconds; }
    // The setup --setup names (a name, or a 1-based number), else the selected one; null with `error`
    // set when there is none.
    const SetupRecord* ChosenSetup(QString* error) const;
    int ChosenSetupIndex(QString* error) const;
    // The setup of a name, or of a 1-based number; -1 with `error` set when there is none, or when
    // several setups carry the name (the error then lists their numbers).
    int SetupIndexOf(const QString& nameOrNumber, QString* error) const;

private:
    QTextStream& m_out;
    QTextStream& m_err;
    QString m_homeOption;
    QString m_setupOption;
    int m_folderWaitSeconds = FolderLockUse::kDefaultWaitMs / 1000;
    QString m_home;
    std::unique_ptr<TmFile> m_file;
    std::unique_ptr<SetupTable> m_setups = std::make_unique<SetupTable>();
    PortSettings m_ports;
};

} // namespace qdv::cli
