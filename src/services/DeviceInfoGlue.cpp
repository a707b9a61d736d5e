// The deviceinfo service: its namespace table and its one operation on top of the generated code.

#include "services/ConfigOperations.h"
#include "services/ServiceBindings.h"

#include "deviceinfoH.h"

namespace qdv {

// Requests are accepted under any host with the service's path.
const Namespace kDeviceInfoNamespaces[] = {
    {"SOAP-ENV", "http://schemas.xmlsoap.org/soap/envelope/", "http://www.w3.org/*/soap-envelope", nullptr},
    {"SOAP-ENC", "http://schemas.xmlsoap.org/soap/encoding/", "http://www.w3.org/*/soap-encoding", nullptr},
    {"xsi", "http://www.w3.org/2001/XMLSchema-instance", "http://www.w3.org/*/XMLSchema-instance", nullptr},
    {"xsd", "http://www.w3.org/2001/XMLSchema", "http://www.w3.org/*/XMLSchema", nullptr},
    {"ns1", "http://switcher.example/pro/switcher/deviceinfo/configurationservice",
     "http://*/pro/switcher/deviceinfo/configurationservice", nullptr},
    {"ns2", "DeviceInfoConfigurationSoapBinding", nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr}};

int DispatchDeviceInfo(soap* s) {
    return deviceinfo::soap_serve_request(s);
}

} // namespace qdv

namespace deviceinfo {

int __ns2__GetInfo(soap* s, _ns1__GetInfoReq*, _ns1__GetInfoRes& res) {
    const auto* ctx = static_cast<const qdv::ServiceContext*>(s->user);
    const std::optional<qdv::DeviceIdentity> device = ctx->operations->GetInfo();
    if (!device)
        return SOAP_OK; // an answer without DeviceInfo: not a known controller, or no data
    ns1__DeviceInfoType info;
    info.DeviceName = device->deviceName;
    info.DeviceCode = device->deviceCode;
    info.ServerType = static_cast<int>(0x80000001u);
    info.ServerName = "PrimaryStation";
    info.secondId = 1;
    info.thirdId = 0;
    info.Port = ctx->primaryStationPort;
    info.Web.Dir = "/web";
    info.Web.TopName = "top_p.html";
    info.BackUp.Dir = "/web";
    res.DeviceInfo.push_back(std::move(info));
    return SOAP_OK;
}

} // namespace deviceinfo
