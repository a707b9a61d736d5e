#pragma once

#include "services/HostedServices.h"
#include "store/TmFile.h"
#include "support/SimProcess.h"
#include "support/TestFolder.h"

#include <QByteArray>
#include <QStringList>
#include <memory>

namespace qdv::test {

// The Primary files of the sample data set, in the order of their bits in a setup's mask.
const QStringList kPrimaryFiles = {"ZEBU_STD.DAU", "ZEBU_TLN.DAU", "ZEBU_GPH.DAU", "ZEBU_LVG.DAU",
                                   "ZEBU_INH.DAU", "ZEBU_SGP.DAU", "ZEBU_422.DAU", "ZEBU_IDX.DAU"};

// A device folder with the sample data set, a simulator serving it, and a PC home whose one setup talks
// to the simulator over loopback TCP or over a serial line (a pseudo terminal linked in the PC folder).
struct EndToEnd {
    enum class Carrier { Tcp, Serial };

    TestFolder device;
    TestFolder pc;
    std::unique_ptr<SimProcess> sim;

    // `simOptions` go to the simulator besides the faults (e.g. --disabled-station 9).
    explicit EndToEnd(const QStringList& faults = {}, Carrier carrier = Carrier::Tcp,
                      const QStringList& simOptions = {});

    // Where the serial simulator links its line.
    QString SerialLink() const { return pc.FilePath("ttySIM"); }
    CliRun Cli(const QStringList& args, const QStringList& wrapper = {}) const;
    // Starts qdv70cli on the PC home without waiting for it.
    bool Start(QProcess& cli, const QStringList& args) const;
    QByteArray Pc(const QString& rel) const { return pc.Read("backup/" + rel); }
    QByteArray Device(const QString& rel) const { return device.Read(rel); }
    // Work files (.BAK) left in the PC's backup folder.
    int WorkFiles() const;
};

// Another program holding a serial line (as the desktop program does during a job), played by the test:
// it locks the line the way the serial transport does, until released.
class LineHolder {
public:
    explicit LineHolder(const QString& path);
    ~LineHolder() { Release(); }
    void Release();

private:
    int m_fd;
};

// Posts a SOAP request with `element` as the body of its envelope to a hosted service on loopback and
// answers the whole HTTP answer.
QByteArray PostSoap(int port, const QByteArray& element);

// The hosted services of the home `home` on free loopback ports, started, and a client that has asked
// for the product as clients do first.
struct LoopbackServices {
    TmFile files;
    HostedServices services;

    explicit LoopbackServices(const QString& home);
    // Names type 1 "AB" and answers the whole HTTP answer.
    QByteArray SetTypeName() const;
};

// The application object that timers and the event loop need; made once for the test program.
void EnsureCoreApplication();

} // namespace qdv::test
