// Serves arbitrary bytes as the HTTP request of a client to each of the two hosted SOAP services, with
// the real operations on the sample data set (loaded once, so that writes and reads reach real images),
// and sends the answer nowhere. Any crash or sanitizer report is a finding; a request that is refused
// is not. A request is served as SoapServer serves one (same size limit, same answers to what is not a
// SOAP request). The images stay loaded between inputs, as a running service's do, so a finding may
// need the inputs before it as well.
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
#include <cstring>

using namespace qdv;

namespace {

constexpr int kBadRequest = 400; // as SoapServer answers a POST that is no SOAP envelope

struct Input {
    const char* data = nullptr;
    std::size_t size = 0;
    std::size_t at = 0;
};
Input g_input;

std::size_t Receive(soap*, char* buffer, std::size_t length) {
    const std::size_t n = std::min(length, g_input.size - g_input.at);
    std::memcpy(buffer, g_input.data + g_input.at, n);
    g_input.at += n;
    return n;
}

int SendNowhere(soap*, const char*, std::size_t) {
    return SOAP_OK;
}

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
    g_input = {reinterpret_cast<const char*>(data), size, 0};
    soap* s = soap_new1(SOAP_XML_STRICT);
    soap_set_namespaces(s, namespaces);
    s->user = &plant.context;
    s->frecv = Receive;
    s->fsend = SendNowhere;
    s->recv_maxlength = SoapServer::Config().maxRequestBytes;
    if (soap_begin_serve(s) != 0) {
        if (s->error == SOAP_POST)
            s->error = kBadRequest;
        if (s->error < SOAP_STOP && s->error != SOAP_EOF)
            soap_send_fault(s);
    } else if ((dispatch(s) || (s->fserveloop && s->fserveloop(s))) && s->error && s->error < SOAP_STOP) {
        soap_send_fault(s);
    }
    soap_destroy(s);
    soap_end(s);
    soap_free(s);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Plant plant;
    Serve(plant, kPrimaryStationNamespaces, DispatchPrimaryStation, data, size);
    Serve(plant, kDeviceInfoNamespaces, DispatchDeviceInfo, data, size);
    return 0;
}
