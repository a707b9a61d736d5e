#include <stdsoap2.h>

// The runtime library falls back to this table for a context that was given none; every service sets
// its own. It is linked with the envelope's serializers into every program that links the runtime.
struct Namespace namespaces[] = {
    {"SOAP-ENV", "http://schemas.xmlsoap.org/soap/envelope/", "http://www.w3.org/*/soap-envelope", nullptr},
    {nullptr, nullptr, nullptr, nullptr}};
