#include "cli/Serve.h"

#include "cli/CliContext.h"
#include "services/HostedServices.h"

#include <QCoreApplication>

#include <csignal>
#include <pthread.h>
#include <thread>

namespace qdv::cli {

Serve::Serve()
    : Command(QStringLiteral("serve"),
              QStringLiteral("Offer the SOAP services (deviceinfo, primarystation) on the selected setup's "
                             "backup folder until SIGINT or SIGTERM; print each service's port. Settings: "
                             "[SOAP] in QDV70COMM.INI.")) {}

int Serve::Execute(CliContext& ctx, const QStringList& arguments) {
    if (const auto done = Parse(ctx, arguments))
        return *done;
    QTextStream& out = ctx.Out();
    QTextStream& err = ctx.Err();
    const ServiceSettings settings = ctx.File().LoadServiceSettings();
    if (!settings.enable) {
        err << "qdv70cli: the services are switched off ([SOAP] ENABLE=0 in QDV70COMM.INI)\n";
        return kExitFailed;
    }
    // Every thread started from here on inherits this mask, so the signals reach only the sigwait below.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    HostedServices services(ctx.File(), settings);
    if (services.Start() == 0) {
        err << "qdv70cli: no service could start; see " << services.Log().FilePath() << '\n';
        return kExitFailed;
    }
    if (services.DeviceInfoPort() != 0)
        out << "deviceinfo " << services.DeviceInfoPort() << '\n';
    if (services.PrimaryStationPort() != 0)
        out << "primarystation " << services.PrimaryStationPort() << '\n';
    out.flush();

    // The event loop runs the history's deferred snapshots; a thread of its own waits for the signal.
    std::thread waiter([&stopSignals] {
        int received = 0;
        sigwait(&stopSignals, &received);
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                                  Qt::QueuedConnection);
    });
    QCoreApplication::exec();
    waiter.join();
    services.Stop();
    return kExitOk;
}

} // namespace qdv::cli
