#include "cli/Serve.h"

#include "cli/CliContext.h"
#include "services/HostedServices.h"

#include <csignal>
#include <pthread.h>

namespace qdv::cli {

Serve::Serve()
    : Command(QStringLiteral("serve"),
              QStringLiteral("Offer the SOAP services (deviceinfo, primarystation) on the selected setup's "
                             "backup folder until SIGINT or SIGTERM; print each service's port. Settings: "
                             "[SOAP] in QDV70COMM.INI.")) {}

int Serve::Execute(CliContext& ctx, const QStringList& arguments) {
    QCommandLineParser parser;
    if (const auto done = Parse(ctx, arguments, parser))
        return *done;
    QTextStream& out = ctx.Out();
    QTextStream& err = ctx.Err();
    const ServiceSettings settings = ctx.File().LoadServiceSettings();
    if (!settings.enable) {
        err << "qdv70cli: the services are switched off ([SOAP] ENABLE=0 in QDV70COMM.INI)\n";
        return kExitFailed;
    }
    // The service threads inherit this mask, so the signals reach only the sigwait below.
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

    int received = 0;
    sigwait(&stopSignals, &received);
    services.Stop();
    return kExitOk;
}

} // namespace qdv::cli
