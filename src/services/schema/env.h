// The SOAP envelope's own serializers (header and fault), shared by both services: generated once
// without a C++ namespace so that the runtime library finds them, while each service's serializers
// live in a namespace of their own.
