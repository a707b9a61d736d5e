// The primarystation service: its namespace table and its operations on top of the generated code.
// Each operation converts the request into plain values, lets ConfigOperations do the work and converts
// the answer back.

#include "services/ConfigOperations.h"
#include "services/ServiceBindings.h"

#include "primarystationH.h"

namespace qdv {

// Requests are accepted under any host with the service's path.
const Namespace kPrimaryStationNamespaces[] = {
    {"SOAP-ENV", "http://schemas.xmlsoap.org/soap/envelope/", "http://www.w3.org/*/soap-envelope", nullptr},
    {"SOAP-ENC", "http://schemas.xmlsoap.org/soap/encoding/", "http://www.w3.org/*/soap-encoding", nullptr},
    {"xsi", "http://www.w3.org/2001/XMLSchema-instance", "http://www.w3.org/*/XMLSchema-instance", nullptr},
    {"xsd", "http://www.w3.org/2001/XMLSchema", "http://www.w3.org/*/XMLSchema", nullptr},
    {"ns1", "http://switcher.example/pro/switcher/primarystation/configurationservice",
     "http://*/pro/switcher/primarystation/configurationservice", nullptr},
    {"ns2", "PrimaryStationConfigurationSoapBinding", nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr}};

int DispatchPrimaryStation(soap* s) {
    return primarystation::soap_serve_request(s);
}

} // namespace qdv

namespace primarystation {
namespace {

constexpr const char* kTicket = "BcpuTxTicket";

qdv::ConfigOperations& Ops(soap* s) {
    return *static_cast<const qdv::ServiceContext*>(s->user)->operations;
}

// A read of an image that was never loaded is a fault whose text names the file.
int Missing(soap* s, qdv::ImageStore::Id id = qdv::ImageStore::kStd) {
    const std::string text = qdv::ConfigOperations::MissingText(id);
    return soap_receiver_fault(s, soap_strdup(s, text.c_str()), nullptr);
}

// Phantom groups, tie lines and the index table: where their data lie in their files is not known
// here, and bytes written at guessed places would reach the controller with the next send. The
// operations therefore refuse with a fault and change nothing.
int NotOffered(soap* s, qdv::ImageStore::Id id, const char* what) {
    const std::string text = std::string(qdv::ImageStore::FileName(id)) + ": " + what +
                             " are not offered here (the file's layout is not known); nothing was changed.";
    return soap_receiver_fault(s, soap_strdup(s, text.c_str()), nullptr);
}

// A request element sent as xsi:nil="true" reaches the operation as a null pointer: a fault of the
// client, never a dereference.
int NilRequest(soap* s) {
    return soap_sender_fault(s, "The request element is nil; nothing was changed.", nullptr);
}

std::vector<qdv::NumberedName> FromWire(const std::vector<ns1__NamedNumberType>& in) {
    std::vector<qdv::NumberedName> out;
    out.reserve(in.size());
    for (const ns1__NamedNumberType& e : in)
        out.push_back({e.No, e.Name});
    return out;
}

std::vector<ns1__NamedNumberType> ToWire(const std::vector<qdv::NumberedName>& in) {
    std::vector<ns1__NamedNumberType> out(in.size());
    for (std::size_t i = 0; i < in.size(); ++i) {
        out[i].No = in[i].no;
        out[i].Name = in[i].name;
    }
    return out;
}

std::vector<qdv::Terminal> FromWire(const std::vector<ns1__TerminalType>& in) {
    auto take = [](const auto* p) { return p ? std::optional(*p) : std::nullopt; };
    std::vector<qdv::Terminal> out;
    out.reserve(in.size());
    for (const ns1__TerminalType& e : in)
        out.push_back({e.No, take(e.Type), take(e.Number), take(e.Name)});
    return out;
}

// The optional members are allocated in the request's context, which releases them after the answer.
// False when memory ran out.
bool ToWire(soap* s, const std::vector<qdv::Terminal>& in, std::vector<ns1__TerminalType>& out) {
    out.resize(in.size());
    for (std::size_t i = 0; i < in.size(); ++i) {
        out[i].No = in[i].no;
        out[i].Type = soap_new_int(s);
        out[i].Number = soap_new_int(s);
        out[i].Name = in[i].name ? soap_new_std__string(s) : nullptr;
        if (!out[i].Type || !out[i].Number || (in[i].name && !out[i].Name))
            return false;
        *out[i].Type = in[i].type.value_or(0);
        *out[i].Number = in[i].number.value_or(0);
        if (in[i].name)
            *out[i].Name = *in[i].name;
    }
    return true;
}

std::vector<qdv::NameGroup> FromWire(const std::vector<ns1__NameGroupType>& in) {
    std::vector<qdv::NameGroup> out;
    for (const ns1__NameGroupType& g : in) {
        qdv::NameGroup group{g.No, {}};
        for (const ns1__GroupTerminalType& t : g.Terminal)
            group.terminals.push_back({t.Dst, t.No});
        out.push_back(group);
    }
    return out;
}

int SetTerm(soap* s, qdv::TerminalSide side, const std::vector<ns1__TerminalType>& in, std::string& result) {
    result = Ops(s).SetTerm(side, FromWire(in));
    return SOAP_OK;
}

int GetTerm(soap* s, qdv::TerminalSide side, const std::vector<int>& numbers,
            std::vector<ns1__TerminalType>& out) {
    const auto terminals = Ops(s).GetTerm(side, numbers);
    if (!terminals)
        return Missing(s);
    if (!ToWire(s, *terminals, out))
        return s->error = SOAP_EOM;
    return SOAP_OK;
}

} // namespace

int __ns2__GetProductInfo(soap* s, _ns1__GetProductInfoReq*, _ns1__GetProductInfoRes& res) {
    const qdv::ProductInfo info = Ops(s).GetProductInfo();
    res.ProductName = info.productName;
    res.Running = info.running;
    res.Reserved = info.reserved;
    return SOAP_OK;
}

int __ns2__SetTypeName(soap* s, _ns1__SetTypeNameReq* req, _ns1__SetTypeNameRes& res) {
    if (!req)
        return NilRequest(s);
    res.Result = Ops(s).SetTypeName(FromWire(req->TypeName));
    return SOAP_OK;
}

int __ns2__GetTypeName(soap* s, _ns1__GetTypeNameReq* req, _ns1__GetTypeNameRes& res) {
    if (!req)
        return NilRequest(s);
    const auto names = Ops(s).GetTypeName(req->No);
    if (!names)
        return Missing(s);
    res.TypeName = ToWire(*names);
    return SOAP_OK;
}

int __ns2__SetLvName(soap* s, _ns1__SetLvNameReq* req, _ns1__SetLvNameRes& res) {
    if (!req)
        return NilRequest(s);
    res.Result = Ops(s).SetLvName(FromWire(req->LvName));
    return SOAP_OK;
}

int __ns2__GetLvName(soap* s, _ns1__GetLvNameReq* req, _ns1__GetLvNameRes& res) {
    if (!req)
        return NilRequest(s);
    const auto names = Ops(s).GetLvName(req->No);
    if (!names)
        return Missing(s);
    res.LvName = ToWire(*names);
    return SOAP_OK;
}

int __ns2__SetCtrlArea(soap* s, _ns1__SetCtrlAreaReq* req, _ns1__SetCtrlAreaRes& res) {
    if (!req)
        return NilRequest(s);
    qdv::CtrlAreaRequest r;
    auto take = [](const int* p) { return p ? std::optional<int>(*p) : std::nullopt; };
    r.srcStart = take(req->SrcStart);
    r.srcEnd = take(req->SrcEnd);
    r.dstStart = take(req->DstStart);
    r.dstEnd = take(req->DstEnd);
    if (req->Name)
        r.name = *req->Name;
    res.Result = Ops(s).SetCtrlArea(r);
    return SOAP_OK;
}

int __ns2__GetCtrlArea(soap* s, _ns1__GetCtrlAreaReq*, _ns1__GetCtrlAreaRes& res) {
    const auto area = Ops(s).GetCtrlArea();
    if (!area)
        return Missing(s);
    res.SrcStart = area->srcStart;
    res.SrcEnd = area->srcEnd;
    res.DstStart = area->dstStart;
    res.DstEnd = area->dstEnd;
    res.Name = area->name;
    return SOAP_OK;
}

int __ns2__SetConfMode(soap* s, _ns1__SetConfModeReq* req, _ns1__SetConfModeRes& res) {
    if (!req)
        return NilRequest(s);
    std::vector<qdv::ModeEntry> modes;
    for (const ns1__ModeType& m : req->Mode)
        modes.push_back({m.Item, m.Value});
    res.Result = Ops(s).SetConfMode(modes);
    return SOAP_OK;
}

int __ns2__GetConfMode(soap* s, _ns1__GetConfModeReq*, _ns1__GetConfModeRes& res) {
    const auto modes = Ops(s).GetConfMode();
    if (!modes)
        return Missing(s);
    for (const qdv::ModeEntry& m : *modes) {
        ns1__ModeType w;
        w.Item = m.item;
        w.Value = m.value;
        res.Mode.push_back(w);
    }
    return SOAP_OK;
}

int __ns2__SetActiveUnit(soap* s, _ns1__SetActiveUnitReq* req, _ns1__SetActiveUnitRes& res) {
    if (!req)
        return NilRequest(s);
    std::vector<qdv::UnitFlag> units;
    for (const ns1__ActiveUnitType& u : req->Unit)
        units.push_back({u.No, u.Active});
    res.Result = Ops(s).SetActiveUnit(units);
    return SOAP_OK;
}

int __ns2__GetActiveUnit(soap* s, _ns1__GetActiveUnitReq* req, _ns1__GetActiveUnitRes& res) {
    if (!req)
        return NilRequest(s);
    const auto units = Ops(s).GetActiveUnit(req->No);
    if (!units)
        return Missing(s);
    for (const qdv::UnitFlag& u : *units) {
        ns1__ActiveUnitType w;
        w.No = u.no;
        w.Active = u.active;
        res.Unit.push_back(w);
    }
    return SOAP_OK;
}

int __ns2__SetDetUnit(soap* s, _ns1__SetDetUnitReq* req, _ns1__SetDetUnitRes& res) {
    if (!req)
        return NilRequest(s);
    std::vector<qdv::UnitValue> units;
    for (const ns1__UnitValueType& u : req->Unit)
        units.push_back({u.No, u.Value});
    res.Result = Ops(s).SetDetUnit(units);
    return SOAP_OK;
}

int __ns2__GetDetUnit(soap* s, _ns1__GetDetUnitReq* req, _ns1__GetDetUnitRes& res) {
    if (!req)
        return NilRequest(s);
    const auto units = Ops(s).GetDetUnit(req->No);
    if (!units)
        return Missing(s);
    for (const qdv::UnitValue& u : *units) {
        ns1__UnitValueType w;
        w.No = u.no;
        w.Value = u.value;
        res.Unit.push_back(w);
    }
    return SOAP_OK;
}

// Source and destination terminals: labels in ZEBU_STD.DAU, descriptions in ZEBU_NME.DAU.

int __ns2__SetSrcTerm(soap* s, _ns1__SetSrcTermReq* req, _ns1__SetSrcTermRes& res) {
    if (!req)
        return NilRequest(s);
    return SetTerm(s, qdv::TerminalSide::kSource, req->Terminal, res.Result);
}

int __ns2__GetSrcTerm(soap* s, _ns1__GetSrcTermReq* req, _ns1__GetSrcTermRes& res) {
    if (!req)
        return NilRequest(s);
    return GetTerm(s, qdv::TerminalSide::kSource, req->No, res.Terminal);
}

int __ns2__SetDstTerm(soap* s, _ns1__SetDstTermReq* req, _ns1__SetDstTermRes& res) {
    if (!req)
        return NilRequest(s);
    return SetTerm(s, qdv::TerminalSide::kDestination, req->Terminal, res.Result);
}

int __ns2__GetDstTerm(soap* s, _ns1__GetDstTermReq* req, _ns1__GetDstTermRes& res) {
    if (!req)
        return NilRequest(s);
    return GetTerm(s, qdv::TerminalSide::kDestination, req->No, res.Terminal);
}

// Name groups: the blocks of the change list in ZEBU_NME.DAU.

int __ns2__GetNameGroup(soap* s, _ns1__GetNameGroupReq* req, _ns1__GetNameGroupRes& res) {
    if (!req)
        return NilRequest(s);
    const auto groups = Ops(s).GetNameGroup(req->No);
    if (!groups)
        return Missing(s, qdv::ImageStore::kNme);
    for (const qdv::NameGroup& g : *groups) {
        ns1__NameGroupType w;
        w.No = g.no;
        for (const qdv::GroupTerminal& t : g.terminals) {
            ns1__GroupTerminalType wt;
            wt.Dst = t.dst;
            wt.No = t.no;
            w.Terminal.push_back(wt);
        }
        res.NameGroup.push_back(w);
    }
    return SOAP_OK;
}

int __ns2__AddNameGroup(soap* s, _ns1__AddNameGroupReq* req, _ns1__AddNameGroupRes& res) {
    if (!req)
        return NilRequest(s);
    res.Result = Ops(s).AddNameGroup(FromWire(req->NameGroup));
    return SOAP_OK;
}

int __ns2__DelNameGroup(soap* s, _ns1__DelNameGroupReq* req, _ns1__DelNameGroupRes& res) {
    if (!req)
        return NilRequest(s);
    res.Result = Ops(s).DelNameGroup(FromWire(req->NameGroup));
    return SOAP_OK;
}

int __ns2__SetGPhan(soap* s, _ns1__SetGPhanReq*, _ns1__SetGPhanRes&) {
    return NotOffered(s, qdv::ImageStore::kGph, "phantom groups");
}

int __ns2__GetGPhan(soap* s, _ns1__GetGPhanReq*, _ns1__GetGPhanRes&) {
    return NotOffered(s, qdv::ImageStore::kGph, "phantom groups");
}

int __ns2__AddGPhan(soap* s, _ns1__AddGPhanReq*, _ns1__AddGPhanRes&) {
    return NotOffered(s, qdv::ImageStore::kGph, "phantom groups");
}

int __ns2__DelGPhan(soap* s, _ns1__DelGPhanReq*, _ns1__DelGPhanRes&) {
    return NotOffered(s, qdv::ImageStore::kGph, "phantom groups");
}

int __ns2__SetTieLine(soap* s, _ns1__SetTieLineReq*, _ns1__SetTieLineRes&) {
    return NotOffered(s, qdv::ImageStore::kTln, "tie lines");
}

int __ns2__GetTieLine(soap* s, _ns1__GetTieLineReq*, _ns1__GetTieLineRes&) {
    return NotOffered(s, qdv::ImageStore::kTln, "tie lines");
}

int __ns2__FitAllIdx(soap* s, _ns1__FitAllIdxReq*, _ns1__FitAllIdxRes&) {
    return NotOffered(s, qdv::ImageStore::kIdx, "index table operations");
}

int __ns2__AddAllIdx(soap* s, _ns1__AddAllIdxReq*, _ns1__AddAllIdxRes&) {
    return NotOffered(s, qdv::ImageStore::kIdx, "index table operations");
}

// Operations a network controller offers that change nothing here.

int __ns2__ForwardNameGroup(soap*, _ns1__ForwardNameGroupReq*, _ns1__ForwardNameGroupRes& res) {
    res.Result = "OK";
    return SOAP_OK;
}

int __ns2__SetTime(soap*, _ns1__SetTimeReq*, _ns1__SetTimeRes& res) {
    res.Result = "OK";
    return SOAP_OK;
}

int __ns2__GetTime(soap*, _ns1__GetTimeReq*, _ns1__GetTimeRes& res) {
    res.Year = res.Month = res.Day = res.Hour = res.Minute = res.Second = 0;
    return SOAP_OK;
}

int __ns2__BcpuTx(soap*, _ns1__BcpuTxReq*, _ns1__BcpuTxRes& res) {
    res.Ticket = kTicket;
    return SOAP_OK;
}

int __ns2__GetStatus(soap* s, _ns1__GetStatusReq* req, _ns1__GetStatusRes& res) {
    if (!req)
        return NilRequest(s);
    for (const std::string& ticket : req->Ticket) {
        ns1__TicketStatusType st;
        st.Ticket = ticket;
        st.Status = ticket == kTicket ? "OK" : "";
        res.Status.push_back(st);
    }
    return SOAP_OK;
}

int __ns2__SetNameGroup(soap*, _ns1__SetNameGroupReq*, _ns1__SetNameGroupRes&) {
    return SOAP_OK;
}

int __ns2__SetAllIdx(soap*, _ns1__SetAllIdxReq*, _ns1__SetAllIdxRes&) {
    return SOAP_OK;
}

int __ns2__GetNetStat(soap*, _ns1__GetNetStatReq*, _ns1__GetNetStatRes&) {
    return SOAP_OK;
}

int __ns2__ChangeXpt(soap*, _ns1__ChangeXptReq*, _ns1__ChangeXptRes&) {
    return SOAP_OK;
}

int __ns2__ResetSequence(soap*, _ns1__ResetSequenceReq*, _ns1__ResetSequenceRes&) {
    return SOAP_OK;
}

int __ns2__GetXptStatus(soap*, _ns1__GetXptStatusReq*, _ns1__GetXptStatusRes&) {
    return SOAP_OK;
}

int __ns2__SetUpReady(soap*, _ns1__SetUpReadyReq*, _ns1__SetUpReadyRes&) {
    return SOAP_OK;
}

int __ns2__BackUpReady(soap*, _ns1__BackUpReadyReq*, _ns1__BackUpReadyRes&) {
    return SOAP_OK;
}

int __ns2__PutFinish(soap*, _ns1__PutFinishReq*, _ns1__PutFinishRes&) {
    return SOAP_OK;
}

} // namespace primarystation
