#pragma once

struct soap;
struct Namespace;

namespace qdv {

class ConfigOperations;

// What the operations of both services reach through soap->user.
struct ServiceContext {
    ConfigOperations* operations = nullptr;
    int primaryStationPort = 0; // the port GetInfo names for the configuration service
};

// The namespace tables and generated request dispatch of the two services (the generated code stays in
// the files that implement them).
extern const Namespace kDeviceInfoNamespaces[];
extern const Namespace kPrimaryStationNamespaces[];
int DispatchDeviceInfo(struct soap* s);
int DispatchPrimaryStation(struct soap* s);

} // namespace qdv
