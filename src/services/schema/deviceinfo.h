// Schema of the "deviceinfo" service: what device this program answers as. soapcpp2 generates the
// serializers and the request dispatch from it at build time (C++ namespace deviceinfo).

//gsoap ns1 schema namespace: http://switcher.example/pro/switcher/deviceinfo/configurationservice
//gsoap ns1 schema form: qualified
//gsoap ns2 service name: DeviceInfoConfigurationSoapBinding
//gsoap ns2 service type: DeviceInfoConfiguration
//gsoap ns2 service style: document
//gsoap ns2 service encoding: literal
//gsoap ns2 service namespace: DeviceInfoConfigurationSoapBinding
//gsoap ns2 service location: http://localhost:8081/
#import "stl.h"

class ns1__WebType {
public:
    std::string Dir 1;
    std::string TopName 1;
};

class ns1__BackUpFileType {
public:
    std::string Name 1;
    int Size 1;
};

class ns1__BackUpType {
public:
    std::string Dir 1;
    std::vector<ns1__BackUpFileType> File 0;
};

class ns1__DeviceInfoType {
public:
    std::string DeviceName 1;
    int DeviceCode 1;
    int ServerType 1;
    std::string ServerName 1;
    int secondId 1;
    int thirdId 1;
    int Port 1;
    ns1__WebType Web 1;
    ns1__BackUpType BackUp 1;
};

class _ns1__GetInfoReq {
public:
};

class _ns1__GetInfoRes {
public:
    std::vector<ns1__DeviceInfoType> DeviceInfo 0;
};

//gsoap ns2 service method-action: GetInfo ""
int __ns2__GetInfo(_ns1__GetInfoReq* ns1__GetInfoReq, _ns1__GetInfoRes& ns1__GetInfoRes);
