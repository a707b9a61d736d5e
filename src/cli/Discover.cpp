#include "cli/Discover.h"

#include "app/TtskCtrl.h"
#include "cli/CliContext.h"
#include "convert/TmTableRemote.h"
#include "discovery/DeviceSearch.h"
#include "discovery/NetworkDeviceTable.h"
#include "discovery/TRpu16.h"
#include "link/StationTables.h"
#include "link/StatusBlock.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <QTimer>

namespace qdv::cli {

namespace {

constexpr int kPollMs = 20;
constexpr int kDefaultSeconds = 3;
constexpr int kMaxSeconds = 3600;

QJsonArray DevicesJson(const std::vector<NetworkDevice>& devices) {
    QJsonArray list;
    for (const NetworkDevice& d : devices) {
        QJsonObject o;
        o.insert(QStringLiteral("mac"), d.Mac());
        o.insert(QStringLiteral("status"), d.answerStatus);
        for (int i = 0; i < kDeviceFieldCount; ++i) {
            const auto field = static_cast<DeviceField>(i);
            o.insert(QLatin1String(FieldInfo(field).json), d.Text(field));
        }
        list.append(o);
    }
    return list;
}

void WriteDeviceTable(const std::vector<NetworkDevice>& devices, QTextStream& out) {
    struct Column {
        const char* title;
        int width;
        DeviceField field;
    };
    static const Column kColumns[] = {
        {"ID", 4, DeviceField::ZebuId},          {"MODEL", 16, DeviceField::Model},
        {"IP ADDRESS", 16, DeviceField::IpAdrM}, {"PRIMARY IP", 16, DeviceField::OptIp},
        {"NAME", 0, DeviceField::Name},
    };
    out << QStringLiteral("MAC").leftJustified(NetworkDevice::kMacLength + 2);
    for (const Column& c : kColumns)
        out << QString::fromLatin1(c.title).leftJustified(c.width + 1);
    out << '\n';
    for (const NetworkDevice& d : devices) {
        out << Discover::TableText(d.Mac()).leftJustified(NetworkDevice::kMacLength + 2);
        for (const Column& c : kColumns)
            out << (c.width > 0 ? Discover::TableText(d.Text(c.field)).leftJustified(c.width) + ' '
                                : Discover::TableText(d.Text(c.field)));
        out << '\n';
    }
}

const QCommandLineOption kSeconds(QStringLiteral("seconds"),
                                  QStringLiteral("Collect answers for N seconds in all (default 3)."),
                                  QStringLiteral("N"), QString::number(kDefaultSeconds));

} // namespace

Discover::Discover()
    : Command(QStringLiteral("discover"),
              QStringLiteral("Search the LAN for devices (three passes of the two discovery requests) and "
                             "list those that answered.")) {
    AddOption(kSeconds);
    AddJsonOption(QStringLiteral("Print only a JSON array of the devices."));
}

QString Discover::TableText(const QString& text) {
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\\')
            shown += QStringLiteral("\\\\");
        else if (u < 0x20 || (u >= 0x7F && u < 0xA0))
            shown += QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    return shown;
}

QString Discover::MoreDevicesNote(int ignored) {
    return QStringLiteral("%1%2 more devices answered; only the first %3 are kept")
        .arg(ignored >= NetworkDeviceTable::kMaxIgnoredTracked ? QStringLiteral("at least ") : QString())
        .arg(ignored)
        .arg(NetworkDeviceTable::kMaxDevices);
}

int Discover::Execute(CliContext& ctx, const QStringList& arguments) {
    if (const auto done = Parse(ctx, arguments))
        return *done;
    QTextStream& out = ctx.Out();
    QTextStream& err = ctx.Err();
    const std::optional<int> seconds = Number(kSeconds.names().front(), 1, kMaxSeconds);
    if (!seconds)
        return UsageError(ctx,
                          QStringLiteral("--seconds wants a whole number from 1 to %1").arg(kMaxSeconds));

    NetworkDeviceTable devices;
    StatusBlock status;
    StationTables stations;
    TmTableRemote resolver;
    PortSettings ports = ctx.Ports();
    TtskCtrl control(TtskCtrl::kUdp, status, stations, resolver, ctx.File(), ports,
                     [] { return SetupRecord(); });
    control.AttachDeviceTable(devices);
    DeviceSearch search([&control](int entry, int kind) { return control.StartNetworkRequest(entry, kind); });

    // The dialog's 9 s of steps, squeezed or stretched to N seconds.
    const double scale = *seconds * 1000.0 / DeviceSearch::kTotalMs;
    QTimer step;
    step.setSingleShot(true);
    QObject::connect(&step, &QTimer::timeout, [&] {
        const int wait = search.Step();
        if (wait == DeviceSearch::kEnded)
            QCoreApplication::exit(kExitOk);
        else
            step.start(static_cast<int>(wait * scale));
    });
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (control.State() == TtskCtrl::kStateFailed) {
            err << "qdv70cli: the UDP stage could not be started (no network address)\n";
            QCoreApplication::exit(kExitFailed);
        } else if (control.Ready()) {
            poll.stop();
            if (control.Udp()->SocketState() != DiscoveryWorker::kOpen) {
                err << "qdv70cli: cannot open the UDP socket: " << control.Udp()->LastError() << '\n';
                QCoreApplication::exit(kExitFailed);
                return;
            }
            step.start(0);
        }
    });
    poll.start(kPollMs);
    const int code = QCoreApplication::exec();
    if (code != kExitOk)
        return code;

    const NetworkDeviceTable::Snapshot found = devices.Copy();
    if (found.ignoredDevices > 0)
        err << "qdv70cli: " << MoreDevicesNote(found.ignoredDevices) << '\n';
    if (found.devices.empty())
        err << "qdv70cli: no device answered\n";
    if (Json())
        PrintJson(ctx, DevicesJson(found.devices));
    else if (!found.devices.empty())
        WriteDeviceTable(found.devices, out);
    return kExitOk;
}

} // namespace qdv::cli
