// Serves arbitrary bytes as the HTTP request of a client to each of the two hosted SOAP services, with
// the real operations on the sample data set (loaded once, so that writes and reads reach real images),
// and sends the answer nowhere. Any crash or sanitizer report is a finding; a request that is refused
// is not. A request is framed and served as SoapServer does it (the same limits, the same answers to
// what is not a SOAP request). The images stay loaded between inputs, as a running service's do, so a
// finding may need the inputs before it as well.
#include "services/ConfigOperations.h"
#include "services/ImageStore.h"
#include "services/ServiceBindings.h"
#include "services/SoapServer.h"
#include "sim/SampleDataSet.h"

#include <QDir>
#include <QTemporaryDir>

#include <stdsoap2.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace qdv;

namespace {

// The sample data set in a folder of its own (under /dev/shm where it can, since write-backs flush),
// with every image loaded.
struct Plant {
    QTemporaryDir folder{QDir(QStringLiteral("/dev/shm")).exists()
                             ? QStringLiteral("/dev/shm/qdv70fuzz-XXXXXX")
                             : QDir::tempPath() + "/qdv70fuzz-XXXXXX"};
    ImageStore images{[](const QString&) {}};
    ConfigOperations operations{images, [this] { return folder.path(); }};
    ServiceContext context;

    Plant() {
        QString error;
        if (!folder.isValid() || !WriteSampleDataSet(folder.path(), &error))
            std::abort();
        operations.GetProductInfo();
        context.operations = &operations;
        context.primaryStationPort = 8082;
    }
};

void Serve(Plant& plant, const Namespace* namespaces, int (*dispatch)(soap*), const std::uint8_t* data,
           std::size_t size) {
    const SoapServer::Config config;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    RequestFramer framer(config.limits);
    const RequestFramer::Result framed = framer.Feed(bytes);
    if (framed.status != RequestFramer::Status::kComplete)
        return; // refused, or waiting for more: the server answers that without the runtime
    SoapServer::RequestContext context(namespaces, &plant.context, config.limits);
    bool close = false;
    if (context.Valid())
        context.Serve(dispatch, bytes.substr(0, framed.length), framed.keepAlive, &close);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Plant plant;
    Serve(plant, kPrimaryStationNamespaces, DispatchPrimaryStation, data, size);
    Serve(plant, kDeviceInfoNamespaces, DispatchDeviceInfo, data, size);
    return 0;
}
