// Schema of the "primarystation" service: the configuration data of the backup folder read and changed
// by SOAP clients. soapcpp2 generates the serializers and the request dispatch from it at build time
// (C++ namespace primarystation). Every operation takes ns1:<Op>Req and answers ns1:<Op>Res; the
// requests of operations that carry no data here accept any content. Terminals: No 0 to 1023, Type and
// Number the label in ZEBU_STD.DAU, Name the description in ZEBU_NME.DAU. Name groups: No 1 to 8, the
// blocks of the change list in ZEBU_NME.DAU, terminals 1 to 1024 with Dst for destinations.

//gsoap ns1 schema namespace: http://switcher.example/pro/switcher/primarystation/configurationservice
//gsoap ns1 schema form: qualified
//gsoap ns2 service name: PrimaryStationConfigurationSoapBinding
//gsoap ns2 service type: PrimaryStationConfiguration
//gsoap ns2 service style: document
//gsoap ns2 service encoding: literal
//gsoap ns2 service namespace: PrimaryStationConfigurationSoapBinding
//gsoap ns2 service location: http://localhost:8082/
#import "stl.h"

class ns1__NamedNumberType {
public:
    int No 1;
    std::string Name 1;
};

class ns1__ModeType {
public:
    std::string Item 1;
    std::string Value 1;
};

class ns1__ActiveUnitType {
public:
    int No 1;
    bool Active 1;
};

class ns1__UnitValueType {
public:
    int No 1;
    int Value 1;
};

class ns1__TicketStatusType {
public:
    std::string Ticket 1;
    std::string Status 1;
};

class ns1__TerminalType {
public:
    int No 1;
    int* Type 0;
    int* Number 0;
    std::string* Name 0;
};

class ns1__GroupTerminalType {
public:
    bool Dst 1;
    int No 1;
};

class ns1__NameGroupType {
public:
    int No 1;
    std::vector<ns1__GroupTerminalType> Terminal 0;
};

class _ns1__GetProductInfoReq {
public:
};

class _ns1__GetProductInfoRes {
public:
    std::string ProductName 1;
    int Running 1;
    int Reserved 1;
};

//gsoap ns2 service method-action: GetProductInfo ""
int __ns2__GetProductInfo(_ns1__GetProductInfoReq* ns1__GetProductInfoReq, _ns1__GetProductInfoRes& ns1__GetProductInfoRes);

class _ns1__SetCtrlAreaReq {
public:
    int* SrcStart 0;
    int* SrcEnd 0;
    int* DstStart 0;
    int* DstEnd 0;
    std::string* Name 0;
};

class _ns1__SetCtrlAreaRes {
public:
    std::string Result 1;
};

//gsoap ns2 service method-action: SetCtrlArea ""
int __ns2__SetCtrlArea(_ns1__SetCtrlAreaReq* ns1__SetCtrlAreaReq, _ns1__SetCtrlAreaRes& ns1__SetCtrlAreaRes);

class _ns1__GetCtrlAreaReq {
public:
};

class _ns1__GetCtrlAreaRes {
public:
    int SrcStart 1;
    int SrcEnd 1;
    int DstStart 1;
    int DstEnd 1;
    std::string Name 1;
};

//gsoap ns2 service method-action: GetCtrlArea ""
int __ns2__GetCtrlArea(_ns1__GetCtrlAreaReq* ns1__GetCtrlAreaReq, _ns1__GetCtrlAreaRes& ns1__GetCtrlAreaRes);

class _ns1__SetConfModeReq {
public:
    std::vector<ns1__ModeType> Mode 0;
};

class _ns1__SetConfModeRes {
public:
    std::string Result 1;
};

//gsoap ns2 service method-action: SetConfMode ""
int __ns2__SetConfMode(_ns1__SetConfModeReq* ns1__SetConfModeReq, _ns1__SetConfModeRes& ns1__SetConfModeRes);

class _ns1__GetConfModeReq {
public:
};

class _ns1__GetConfModeRes {
public:
    std::vector<ns1__ModeType> Mode 0;
};

//gsoap ns2 service method-action: GetConfMode ""
int __ns2__GetConfMode(_ns1__GetConfModeReq* ns1__GetConfModeReq, _ns1__GetConfModeRes& ns1__GetConfModeRes);

class _ns1__SetTypeNameReq {
public:
    std::vector<ns1__NamedNumberType> TypeName 0;
};

class _ns1__SetTypeNameRes {
public:
    std::string Result 1;
};

//gsoap ns2 service method-action: SetTypeName ""
int __ns2__SetTypeName(_ns1__SetTypeNameReq* ns1__SetTypeNameReq, _ns1__SetTypeNameRes& ns1__SetTypeNameRes);

class _ns1__GetTypeNameReq {
public:
    std::vector<int> No 0;
};

class _ns1__GetTypeNameRes {
public:
    std::vector<ns1__NamedNumberType> TypeName 0;
};

//gsoap ns2 service method-action: GetTypeName ""
int __ns2__GetTypeName(_ns1__GetTypeNameReq* ns1__GetTypeNameReq, _ns1__GetTypeNameRes& ns1__GetTypeNameRes);

class _ns1__SetLvNameReq {
public:
    std::vector<ns1__NamedNumberType> LvName 0;
};

class _ns1__SetLvNameRes {
public:
    std::string Result 1;
};

//gsoap ns2 service method-action: SetLvName ""
int __ns2__SetLvName(_ns1__SetLvNameReq* ns1__SetLvNameReq, _ns1__SetLvNameRes& ns1__SetLvNameRes);

class _ns1__GetLvNameReq {
public:
    std::vector<int> No 0;
};

class _ns1__GetLvNameRes {
public:
    std::vector<ns1__NamedNumberType> LvName 0;
};

//gsoap ns2 service method-action: GetLvName ""
int __ns2__GetLvName(_ns1__GetLvNameReq* ns1__GetLvNameReq, _ns1__GetLvNameRes& ns1__GetLvNameRes);

class _ns1__SetActiveUnitReq {
public:
    std::vector<ns1__ActiveUnitType> Unit 0;
};

class _ns1__SetActiveUnitRes {
public:
    std::string Result 1;
};

//gsoap ns2 service method-action: SetActiveUnit ""
int __ns2__SetActiveUnit(_ns1__SetActiveUnitReq* ns1__SetActiveUnitReq, _ns1__SetActiveUnitRes& ns1__SetActiveUnitRes);

class _ns1__GetActiveUnitReq {
public:
    std::vector<int> No 0;
};

class _ns1__GetActiveUnitRes {
public:
    std::vector<ns1__ActiveUnitType> Unit 0;
};

//gsoap ns2 service method-action: GetActiveUnit ""
int __ns2__GetActiveUnit(_ns1__GetActiveUnitReq* ns1__GetActiveUnitReq, _ns1__GetActiveUnitRes& ns1__GetActiveUnitRes);

class _ns1__SetDetUnitReq {
public:
    std::vector<ns1__UnitValueType> Unit 0;
};

class _ns1__SetDetUnitRes {
public:
    std::string Result 1;
};

//gsoap ns2 service method-action: SetDetUnit ""
int __ns2__SetDetUnit(_ns1__SetDetUnitReq* ns1__SetDetUnitReq, _ns1__SetDetUnitRes& ns1__SetDetUnitRes);

class _ns1__GetDetUnitReq {
public:
    std::vector<int> No 0;
};

class _ns1__GetDetUnitRes {
public:
    std::vector<ns1__UnitValueType> Unit 0;
};

//gsoap ns2 service method-action: GetDetUnit ""
int __ns2__GetDetUnit(_ns1__GetDetUnitReq* ns1__GetDetUnitReq, _ns1__GetDetUnitRes& ns1__GetDetUnitRes);

class _ns1__SetSrcTermReq {
public:
    std::vector<ns1__TerminalType> Terminal 0;
};

class _ns1__SetSrcTermRes {
public:
    std::string Result 1;
};

//gsoap ns2 service method-action: SetSrcTerm ""
int __ns2__SetSrcTerm(_ns1__SetSrcTermReq* ns1__SetSrcTermReq, _ns1__SetSrcTermRes& ns1__SetSrcTermRes);

class _ns1__GetSrcTermReq {
public:
    std::vector<int> No 0;
};

class _ns1__GetSrcTermRes {
public:
    std::vector<ns1__TerminalType> Terminal 0;
};

//gsoap ns2 service method-action: GetSrcTerm ""
int __ns2__GetSrcTerm(_ns1__GetSrcTermReq* ns1__GetSrcTermReq, _ns1__GetSrcTermRes& ns1__GetSrcTermRes);

class _ns1__SetDstTermReq {
public:
    std::vector<ns1__TerminalType> Terminal 0;
};

class _ns1__SetDstTermRes {
public:
    std::string Result 1;
};

//gsoap ns2 service method-action: SetDstTerm ""
int __ns2__SetDstTerm(_ns1__SetDstTermReq* ns1__SetDstTermReq, _ns1__SetDstTermRes& ns1__SetDstTermRes);

class _ns1__GetDstTermReq {
public:
    std::vector<int> No 0;
};

class _ns1__GetDstTermRes {
public:
    std::vector<ns1__TerminalType> Terminal 0;
};

//gsoap ns2 service method-action: GetDstTerm ""
int __ns2__GetDstTerm(_ns1__GetDstTermReq* ns1__GetDstTermReq, _ns1__GetDstTermRes& ns1__GetDstTermRes);

class _ns1__GetNameGroupReq {
public:
    std::vector<int> No 0;
};

class _ns1__GetNameGroupRes {
public:
    std::vector<ns1__NameGroupType> NameGroup 0;
};

//gsoap ns2 service method-action: GetNameGroup ""
int __ns2__GetNameGroup(_ns1__GetNameGroupReq* ns1__GetNameGroupReq, _ns1__GetNameGroupRes& ns1__GetNameGroupRes);

class _ns1__AddNameGroupReq {
public:
    std::vector<ns1__NameGroupType> NameGroup 0;
};

class _ns1__AddNameGroupRes {
public:
    std::string Result 1;
};

//gsoap ns2 service method-action: AddNameGroup ""
int __ns2__AddNameGroup(_ns1__AddNameGroupReq* ns1__AddNameGroupReq, _ns1__AddNameGroupRes& ns1__AddNameGroupRes);

class _ns1__DelNameGroupReq {
public:
    std::vector<ns1__NameGroupType> NameGroup 0;
};

class _ns1__DelNameGroupRes {
public:
    std::string Result 1;
};

//gsoap ns2 service method-action: DelNameGroup ""
int __ns2__DelNameGroup(_ns1__DelNameGroupReq* ns1__DelNameGroupReq, _ns1__DelNameGroupRes& ns1__DelNameGroupRes);

// Phantom groups, tie lines and the index table: offered, but answered with a fault that changes
// nothing, since the layouts of their files are not known here.

class _ns1__SetGPhanReq {
public:
    std::vector<_XML> __any 0;
};

class _ns1__SetGPhanRes {
public:
};

//gsoap ns2 service method-action: SetGPhan ""
int __ns2__SetGPhan(_ns1__SetGPhanReq* ns1__SetGPhanReq, _ns1__SetGPhanRes& ns1__SetGPhanRes);

class _ns1__GetGPhanReq {
public:
    std::vector<_XML> __any 0;
};

class _ns1__GetGPhanRes {
public:
};

//gsoap ns2 service method-action: GetGPhan ""
int __ns2__GetGPhan(_ns1__GetGPhanReq* ns1__GetGPhanReq, _ns1__GetGPhanRes& ns1__GetGPhanRes);

class _ns1__AddGPhanReq {
public:
    std::vector<_XML> __any 0;
};

class _ns1__AddGPhanRes {
public:
};

//gsoap ns2 service method-action: AddGPhan ""
int __ns2__AddGPhan(_ns1__AddGPhanReq* ns1__AddGPhanReq, _ns1__AddGPhanRes& ns1__AddGPhanRes);

class _ns1__DelGPhanReq {
public:
    std::vector<_XML> __any 0;
};

class _ns1__DelGPhanRes {
public:
};

//gsoap ns2 service method-action: DelGPhan ""
int __ns2__DelGPhan(_ns1__DelGPhanReq* ns1__DelGPhanReq, _ns1__DelGPhanRes& ns1__DelGPhanRes);

class _ns1__SetTieLineReq {
public:
    std::vector<_XML> __any 0;
};

class _ns1__SetTieLineRes {
public:
};

//gsoap ns2 service method-action: SetTieLine ""
int __ns2__SetTieLine(_ns1__SetTieLineReq* ns1__SetTieLineReq, _ns1__SetTieLineRes& ns1__SetTieLineRes);

class _ns1__GetTieLineReq {
public:
    std::vector<_XML> __any 0;
};

class _ns1__GetTieLineRes {
public:
};

//gsoap ns2 service method-action: GetTieLine ""
int __ns2__GetTieLine(_ns1__GetTieLineReq* ns1__GetTieLineReq, _ns1__GetTieLineRes& ns1__GetTieLineRes);

class _ns1__FitAllIdxReq {
public:
    std::vector<_XML> __any 0;
};

class _ns1__FitAllIdxRes {
public:
};

//gsoap ns2 service method-action: FitAllIdx ""
int __ns2__FitAllIdx(_ns1__FitAllIdxReq* ns1__FitAllIdxReq, _ns1__FitAllIdxRes& ns1__FitAllIdxRes);

class _ns1__AddAllIdxReq {
public:
    std::vector<_XML> __any 0;
};

class _ns1__AddAllIdxRes {
public:
};

//gsoap ns2 service method-action: AddAllIdx ""
int __ns2__AddAllIdx(_ns1__AddAllIdxReq* ns1__AddAllIdxReq, _ns1__AddAllIdxRes& ns1__AddAllIdxRes);

class _ns1__ForwardNameGroupReq {
public:
    std::vector<_XML> __any 0;
};

class _ns1__ForwardNameGroupRes {
public:
    std::string Result 1;
};

//gsoap ns2 service method-action: ForwardNameGroup ""
int __ns2__ForwardNameGroup(_ns1__ForwardNameGroupReq* ns1__ForwardNameGroupReq, _ns1__ForwardNameGroupRes& ns1__ForwardNameGroupRes);

class _ns1__SetTimeReq {
public:
    std::vector<_XML> __any 0;
};

class _ns1__SetTimeRes {
public:
    std::string Result 1;
};

//gsoap ns2 service method-action: SetTime ""
int __ns2__SetTime(_ns1__SetTimeReq* ns1__SetTimeReq, _ns1__SetTimeRes& ns1__SetTimeRes);

class _ns1__GetTimeReq {
public:
    std::vector<_XML> __any 0;
};

class _ns1__GetTimeRes {
public:
    int Year 1;
    int Month 1;
    int Day 1;
    int Hour 1;
    int Minute 1;
    int Second 1;
};

//gsoap ns2 service method-action: GetTime ""
int __ns2__GetTime(_ns1__GetTimeReq* ns1__GetTimeReq, _ns1__GetTimeRes& ns1__GetTimeRes);

class _ns1__BcpuTxReq {
public:
    std::vector<_XML> __any 0;
};

class _ns1__BcpuTxRes {
public:
    std::string Ticket 1;
};

//gsoap ns2 service method-action: BcpuTx ""
int __ns2__BcpuTx(_ns1__BcpuTxReq* ns1__BcpuTxReq, _ns1__BcpuTxRes& ns1__BcpuTxRes);

class _ns1__GetStatusReq {
public:
    std::vector<std::string> Ticket 0;
};

class _ns1__GetStatusRes {
public:
    std::vector<ns1__TicketStatusType> Status 0;
};

//gsoap ns2 service method-action: GetStatus ""
int __ns2__GetStatus(_ns1__GetStatusReq* ns1__GetStatusReq, _ns1__GetStatusRes& ns1__GetStatusRes);

class _ns1__SetNameGroupReq {
public:
    std::vector<_XML> __any 0;
};

class _ns1__SetNameGroupRes {
public:
};

//gsoap ns2 service method-action: SetNameGroup ""
int __ns2__SetNameGroup(_ns1__SetNameGroupReq* ns1__SetNameGroupReq, _ns1__SetNameGroupRes& ns1__SetNameGroupRes);

class _ns1__SetAllIdxReq {
public:
    std::vector<_XML> __any 0;
};

class _ns1__SetAllIdxRes {
public:
};

//gsoap ns2 service method-action: SetAllIdx ""
int __ns2__SetAllIdx(_ns1__SetAllIdxReq* ns1__SetAllIdxReq, _ns1__SetAllIdxRes& ns1__SetAllIdxRes);

class _ns1__GetNetStatReq {
public:
    std::vector<_XML> __any 0;
};

class _ns1__GetNetStatRes {
public:
};

//gsoap ns2 service method-action: GetNetStat ""
int __ns2__GetNetStat(_ns1__GetNetStatReq* ns1__GetNetStatReq, _ns1__GetNetStatRes& ns1__GetNetStatRes);

class _ns1__ChangeXptReq {
public:
    std::vector<_XML> __any 0;
};

class _ns1__ChangeXptRes {
public:
};

//gsoap ns2 service method-action: ChangeXpt ""
int __ns2__ChangeXpt(_ns1__ChangeXptReq* ns1__ChangeXptReq, _ns1__ChangeXptRes& ns1__ChangeXptRes);

class _ns1__ResetSequenceReq {
public:
    std::vector<_XML> __any 0;
};

class _ns1__ResetSequenceRes {
public:
};

//gsoap ns2 service method-action: ResetSequence ""
int __ns2__ResetSequence(_ns1__ResetSequenceReq* ns1__ResetSequenceReq, _ns1__ResetSequenceRes& ns1__ResetSequenceRes);

class _ns1__GetXptStatusReq {
public:
    std::vector<_XML> __any 0;
};

class _ns1__GetXptStatusRes {
public:
};

//gsoap ns2 service method-action: GetXptStatus ""
int __ns2__GetXptStatus(_ns1__GetXptStatusReq* ns1__GetXptStatusReq, _ns1__GetXptStatusRes& ns1__GetXptStatusRes);

class _ns1__SetUpReadyReq {
public:
    std::vector<_XML> __any 0;
};

class _ns1__SetUpReadyRes {
public:
};

//gsoap ns2 service method-action: SetUpReady ""
int __ns2__SetUpReady(_ns1__SetUpReadyReq* ns1__SetUpReadyReq, _ns1__SetUpReadyRes& ns1__SetUpReadyRes);

class _ns1__BackUpReadyReq {
public:
    std::vector<_XML> __any 0;
};

class _ns1__BackUpReadyRes {
public:
};

//gsoap ns2 service method-action: BackUpReady ""
int __ns2__BackUpReady(_ns1__BackUpReadyReq* ns1__BackUpReadyReq, _ns1__BackUpReadyRes& ns1__BackUpReadyRes);

class _ns1__PutFinishReq {
public:
    std::vector<_XML> __any 0;
};

class _ns1__PutFinishRes {
public:
};

//gsoap ns2 service method-action: PutFinish ""
int __ns2__PutFinish(_ns1__PutFinishReq* ns1__PutFinishReq, _ns1__PutFinishRes& ns1__PutFinishRes);
