// qdv70sim: a simulated primary controller that serves and stores the files of a backup folder over
// the packet protocol, for the demo, the integration tests and users without hardware.

#include "secondary/StationNumbers.h"
#include "sim/DiscoveryResponder.h"
#include "sim/Fault.h"
#include "sim/FaultPlan.h"
#include "sim/NetCtlServer.h"
#include "sim/SampleDataSet.h"
#include "sim/SimSerialLine.h"
#include "sim/SimServer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QSocketNotifier>
#include <QTextStream>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kUsageError = 2;
constexpr int kMaxSimDevices = 4096;

int g_signalPipe[2] = {-1, -1};

void OnSignal(int) {
    const char b = 1;
    // Nothing else is safe in a signal handler; the event loop reads the byte and quits.
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &b, 1);
}

// SIGTERM and SIGINT end the event loop normally, so the process exits with 0 and no file is left
// half written.
bool QuitOnSignals(QCoreApplication* app) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return false;
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, app);
    QObject::connect(notifier, &QSocketNotifier::activated, app, [] { QCoreApplication::quit(); });
    struct sigaction sa = {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    return ::sigaction(SIGTERM, &sa, nullptr) == 0 && ::sigaction(SIGINT, &sa, nullptr) == 0;
}

int Fail(const QString& text, int code = kUsageError) {
    QTextStream(stderr) << "qdv70sim: " << text << Qt::endl;
    return code;
}

QString FaultHelp() {
    QString text = QStringLiteral("\nFaults (--fault NAME, repeatable):\n");
    for (const qdv::sim::FaultInfo& f : qdv::sim::FaultTable())
        text += QStringLiteral("  %1  %2\n")
                    .arg(QString::fromLatin1(f.name), -20)
                    .arg(QString::fromLatin1(f.fires));
    return text;
}

// Serves the controller on a pseudo terminal linked at `path` until a signal ends it; the link goes
// with it.
int ServeSerial(QCoreApplication& app, const QString& path, const QString& dir, qdv::sim::FaultPlan* faults,
                const QString& rateText, bool stats) {
    int rate = 0;
    if (!rateText.isEmpty()) {
        bool ok = false;
        rate = rateText.toInt(&ok);
        if (!ok || rate <= 0)
            return Fail(QStringLiteral("not a bit rate: %1").arg(rateText));
    }
    if (!QuitOnSignals(&app))
        return Fail(QStringLiteral("cannot catch SIGTERM and SIGINT"), 1);
    qdv::sim::SimSerialLine line(dir, faults, rate);
    QString error;
    if (!line.Open(path, &error))
        return Fail(error, 1);
    if (stats) {
        line.SetTransferEnded([](qint64 in, qint64 out) {
            QTextStream(stdout) << "qdv70sim line bytes in " << in << " out " << out << Qt::endl;
        });
    }
    QTextStream(stdout) << "qdv70sim serial line at " << path << " (" << line.DeviceName() << ")" << Qt::endl;
    return QCoreApplication::exec();
}

// --discovery PORT: simulated devices answering discovery requests. Returns false with `error` set on
// a bad option or a port that cannot be bound.
bool StartDiscovery(const QString& port, const QString& devicesText, const QStringList& deviceTexts,
                    const QString& bindText, const QString& primary, QObject* parent, QString* error) {
    bool portOk = false;
    bool countOk = false;
    const uint p = port.toUInt(&portOk);
    const int count = devicesText.toInt(&countOk);
    if (!portOk || p > 65535 || !countOk || count < 0 || count > kMaxSimDevices) {
        *error =
            QStringLiteral("--discovery wants a UDP port and --devices a count up to %1").arg(kMaxSimDevices);
        return false;
    }
    QList<qdv::sim::DiscoveryResponder::Device> devices =
        qdv::sim::DiscoveryResponder::Generated(count, primary);
    for (const QString& text : deviceTexts) {
        qdv::sim::DiscoveryResponder::Device d;
        if (!qdv::sim::DiscoveryResponder::FromText(text, static_cast<int>(devices.size()), primary, &d)) {
            *error = QStringLiteral("--device wants KEY:VALUE,KEY:VALUE...: %1").arg(text);
            return false;
        }
        devices.append(d);
    }
    const QHostAddress address(bindText);
    if (address.isNull()) {
        *error = QStringLiteral("not an IP address: %1").arg(bindText);
        return false;
    }
    auto* responder = new qdv::sim::DiscoveryResponder(devices, parent);
    if (!responder->Listen(address, static_cast<quint16>(p), error)) {
        *error = QStringLiteral("cannot bind UDP %1:%2: %3").arg(bindText).arg(p).arg(*error);
        return false;
    }
    QTextStream(stdout) << "qdv70sim discovery on " << address.toString() << ':' << responder->Port() << " ("
                        << devices.size() << " devices)" << Qt::endl;
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("qdv70sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simulated primary controller: serves the backup folder DIR (Primary/, Name/, XPoint/, "
        "ZEBU_nnn.DAT) over the packet protocol and stores what it receives into it."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    const QCommandLineOption data(QStringLiteral("data"), QStringLiteral("The backup folder to serve."),
                                  QStringLiteral("DIR"));
    const QCommandLineOption tcp(QStringLiteral("tcp"),
                                 QStringLiteral("Listen on this TCP port (0: any free port)."),
                                 QStringLiteral("PORT"));
    const QCommandLineOption serial(
        QStringLiteral("serial"),
        QStringLiteral(
            "Serve a serial line instead: a pseudo terminal whose far end is linked at PATH, for a "
            "setup whose COM port is PATH (QDV70COMM.INI [SERIAL] COMn=PATH)."),
        QStringLiteral("PATH"));
    const QCommandLineOption lineRate(
        QStringLiteral("line-rate"),
        QStringLiteral(
            "With --serial: send and accept no faster than an 8N1 line of RATE bit/s (e.g. 38400)."),
        QStringLiteral("RATE"));
    const QCommandLineOption lineStats(
        QStringLiteral("line-stats"),
        QStringLiteral("With --serial: after each ETB print the bytes that crossed the line so far."));
    const QCommandLineOption bind(QStringLiteral("bind"),
                                  QStringLiteral("Listen on this address (default 127.0.0.1)."),
                                  QStringLiteral("ADDR"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption fault(QStringLiteral("fault"), QStringLiteral("Inject the named fault (below)."),
                                   QStringLiteral("NAME"));
    const QCommandLineOption makeSample(QStringLiteral("make-sample"),
                                        QStringLiteral("Write a complete sample data set into DIR and exit."),
                                        QStringLiteral("DIR"));
    const QCommandLineOption disabledStation(
        QStringLiteral("disabled-station"),
        QStringLiteral("Secondary stations (e.g. 5,9-11) that answer with the abort record, to "
                       "their data and to names sent to them."),
        QStringLiteral("LIST"));
    const QCommandLineOption silentStation(QStringLiteral("silent-station"),
                                           QStringLiteral("Secondary stations that never answer."),
                                           QStringLiteral("LIST"));
    parser.addOptions({disabledStation, silentStation});
    const QCommandLineOption discovery(
        QStringLiteral("discovery"),
        QStringLiteral("Also answer device discovery requests on this UDP port (0: any free port) as the "
                       "simulated devices below; alone, without --tcp or --serial, only that."),
        QStringLiteral("PORT"));
    const QCommandLineOption devices(
        QStringLiteral("devices"),
        QStringLiteral("With --discovery: this many generated devices (default 3)."), QStringLiteral("N"),
        QStringLiteral("3"));
    const QCommandLineOption device(
        QStringLiteral("device"),
        QStringLiteral("With --discovery: one more device, its items as KEY:VALUE,KEY:VALUE (MAC, ZEBUID, "
                       "MODEL, NAME, ...; repeatable)."),
        QStringLiteral("ITEMS"));
    const QCommandLineOption discoveryBind(
        QStringLiteral("discovery-bind"),
        QStringLiteral("With --discovery: the address to hear requests on (default 127.255.255.255)."),
        QStringLiteral("ADDR"), QStringLiteral("127.255.255.255"));
    parser.addOptions({help, data, tcp, serial, lineRate, lineStats, bind, fault, makeSample, discovery,
                       devices, device, discoveryBind});
    const QCommandLineOption netctl(
        QStringLiteral("netctl"),
        QStringLiteral("With --tcp: also act as a network controller. Answers GetInfo on --getinfo-port and "
                       "BackUpReady/PutFinish on --config-port from DIR/backup (made from the data folder's "
                       "files when missing), which an FTP server is to serve as \"/backup\" from DIR."));
    const QCommandLineOption getInfoPort(
        QStringLiteral("getinfo-port"),
        QStringLiteral("With --netctl: the GetInfo port (default 0: any free port)."), QStringLiteral("PORT"),
        QStringLiteral("0"));
    const QCommandLineOption configPort(
        QStringLiteral("config-port"),
        QStringLiteral("With --netctl: the configuration port (default 0: any free port)."),
        QStringLiteral("PORT"), QStringLiteral("0"));
    parser.addOptions({netctl, getInfoPort, configPort});

    if (!parser.parse(QCoreApplication::arguments()))
        return Fail(parser.errorText());
    if (parser.isSet(help)) {
        QTextStream(stdout) << parser.helpText() << FaultHelp();
        return 0;
    }
    if (!parser.positionalArguments().isEmpty())
        return Fail(QStringLiteral("unexpected argument %1").arg(parser.positionalArguments().first()));

    if (parser.isSet(makeSample)) {
        QString error;
        if (!qdv::WriteSampleDataSet(parser.value(makeSample), &error))
            return Fail(error, 1);
        return 0;
    }

    qdv::sim::FaultPlan faults;
    for (const QString& name : parser.values(fault)) {
        const auto f = qdv::sim::FaultFromName(name);
        if (!f)
            return Fail(
                QStringLiteral("unknown fault \"%1\"; faults are: %2").arg(name, qdv::sim::FaultNameList()));
        faults.Add(*f);
    }

    using StationFault = qdv::sim::FaultPlan::StationFault;
    for (const auto& [option, kind] : {std::pair{&disabledStation, StationFault::Disabled},
                                       std::pair{&silentStation, StationFault::Silent}}) {
        for (const QString& list : parser.values(*option)) {
            const auto stations = qdv::ParseStationNumbers(list, 2, 254);
            if (!stations)
                return Fail(QStringLiteral("not a list of stations 2..254: %1").arg(list));
            for (const int s : *stations)
                faults.SetStationFault(s, kind);
        }
    }

    if (parser.isSet(discovery)) {
        QString error;
        if (!StartDiscovery(parser.value(discovery), parser.value(devices), parser.values(device),
                            parser.value(discoveryBind), parser.value(bind), &app, &error))
            return Fail(error, 1);
        if (!parser.isSet(tcp) && !parser.isSet(serial)) {
            if (!QuitOnSignals(&app))
                return Fail(QStringLiteral("cannot catch SIGTERM and SIGINT"), 1);
            return QCoreApplication::exec();
        }
    }
    if (parser.isSet(tcp) == parser.isSet(serial) || !parser.isSet(data))
        return Fail(QStringLiteral(
            "give --data DIR and either --tcp PORT or --serial PATH, or --make-sample DIR (see --help)"));
    const QString dir = parser.value(data);
    if (!QDir(dir).exists())
        return Fail(QStringLiteral("no such folder: %1").arg(dir));
    if (parser.isSet(serial) && parser.isSet(netctl))
        return Fail(QStringLiteral("--netctl goes with --tcp"));
    if (parser.isSet(serial))
        return ServeSerial(app, parser.value(serial), dir, &faults, parser.value(lineRate),
                           parser.isSet(lineStats));
    if (parser.isSet(lineRate) || parser.isSet(lineStats))
        return Fail(QStringLiteral("--line-rate and --line-stats go with --serial"));
    bool ok = false;
    const uint port = parser.value(tcp).toUInt(&ok);
    if (!ok || port > 65535)
        return Fail(QStringLiteral("not a TCP port: %1").arg(parser.value(tcp)));
    const QHostAddress address(parser.value(bind));
    if (address.isNull())
        return Fail(QStringLiteral("not an IP address: %1").arg(parser.value(bind)));

    if (!QuitOnSignals(&app))
        return Fail(QStringLiteral("cannot catch SIGTERM and SIGINT"), 1);
    qdv::sim::SimServer server(dir, &faults);
    QString error;
    if (!server.Listen(address, static_cast<quint16>(port), &error))
        return Fail(QStringLiteral("cannot listen on %1:%2: %3").arg(address.toString()).arg(port).arg(error),
                    1);
    QTextStream(stdout) << "qdv70sim listening on " << server.Address().toString() << ':' << server.Port()
                        << Qt::endl;
    qdv::sim::NetCtlServer netServer(dir, &faults);
    if (parser.isSet(netctl)) {
        const uint infoPort = parser.value(getInfoPort).toUInt(&ok);
        bool configOk = false;
        const uint cfgPort = parser.value(configPort).toUInt(&configOk);
        if (!ok || !configOk || infoPort > 65535 || cfgPort > 65535)
            return Fail(QStringLiteral("not a TCP port: %1 or %2")
                            .arg(parser.value(getInfoPort), parser.value(configPort)));
        if (!netServer.Listen(address, static_cast<quint16>(infoPort), static_cast<quint16>(cfgPort), &error))
            return Fail(error, 1);
        QTextStream(stdout) << "qdv70sim network controller getinfo " << netServer.GetInfoPort() << " config "
                            << netServer.ConfigPort() << " folder " << netServer.DeviceFolder() << Qt::endl;
    }
    return QCoreApplication::exec();
}
