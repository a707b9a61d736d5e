#include "sim/Fault.h"

#include <QStringList>
#include <array>

namespace qdv::sim {

namespace {

// "Data record" below means a record that carries file data: CMD "2" from either side, and the
// crosspoint ("B") and name ("7") records from the PC. A resend is the same record sent again after a
// NAK. "Transfer" ends with ETB, a new attention, or the end of the connection.
//
//   fault                when it fires                                      what the controller does
//   no-ready             every attention                                    stays silent: no READY
//   nak-once             first data record from the PC                      NAK instead of ACK
//   nak-twice            same, and its resend                               NAK, NAK
//   no-ack               first data record from the PC and every resend     no answer at all
//   bad-checksum-once    first data record it sends                         wrong CS
//   bad-checksum-twice   same, and its resend                               wrong CS, wrong CS
//   stall                first data record it sends                         sends half of it, then
//                                                                           nothing until the transfer ends
//   abort-record         first data record it sends                         the abort record instead; the
//                                                                           transfer is over
//   unexpected-pn        first data record it sends                         PN one too high
//   wrong-id             first data record it sends                         ID one too high
//   wrong-type           first data record it sends                         another data type character
//   ready-before-data    first ACK of a start record it sent                READY, then the first data record
//   skip-offset          second data record of the first file that has one  left out; PN goes on without a
//                                                                           gap, OSETs stay true
//   drop-line            first data record it sends (after its ACK), or     drops the connection
//                        first data record from the PC (instead of the ACK)
//   wrong-byte           first data record from the PC                      ACKs it but stores its second
//                                                                           byte changed
//
// The exchange faults (--netctl) fire on every answer of the exchange:
//   xml-no-ok            every answer                 status line without OK
//   xml-malformed        every answer                 the XML is cut off in the middle
//   xml-status-ng        BackUpReady and PutFinish    status "NG"
//   xml-file-left-out    GetInfo                      the description file is not listed
//   xml-never-close      every answer                 the connection stays open after the answer
//
// A resend after a NAK goes through the same faults again; those spent have no effect any more, so
// e.g. unexpected-pn followed by a NAK resends the correct record.
constexpr std::array<FaultInfo, kFaultCount> kFaults = {{
    {Fault::NoReady, "no-ready", FaultRepeat::Always, "never answers the attention with READY"},
    {Fault::NakOnce, "nak-once", FaultRepeat::Once, "NAKs the first data record the PC sends, once"},
    {Fault::NakTwice, "nak-twice", FaultRepeat::Twice,
     "NAKs the first data record the PC sends and its resend"},
    {Fault::NoAck, "no-ack", FaultRepeat::WholeTransfer, "never answers the first data record the PC sends"},
    {Fault::BadChecksumOnce, "bad-checksum-once", FaultRepeat::Once,
     "corrupts the checksum of the first data record it sends"},
    {Fault::BadChecksumTwice, "bad-checksum-twice", FaultRepeat::Twice,
     "corrupts the checksum of the first data record it sends and of its resend"},
    {Fault::Stall, "stall", FaultRepeat::Once,
     "sends the first half of its first data record, then nothing for that transfer"},
    {Fault::AbortRecord, "abort-record", FaultRepeat::Once,
     "sends the abort record instead of its first data record"},
    {Fault::UnexpectedPn, "unexpected-pn", FaultRepeat::Once, "sends its first data record with a wrong PN"},
    {Fault::WrongId, "wrong-id", FaultRepeat::Once, "sends its first data record with a wrong ID"},
    {Fault::WrongType, "wrong-type", FaultRepeat::Once, "sends its first data record with a wrong data type"},
    {Fault::ReadyBeforeData, "ready-before-data", FaultRepeat::Once,
     "sends an extra READY right after the PC ACKs its first start record"},
    {Fault::SkipOffset, "skip-offset", FaultRepeat::Once,
     "leaves out the second data record of a file; the others keep their offsets"},
    {Fault::DropLine, "drop-line", FaultRepeat::Once, "drops the connection in the middle of the first file"},
    {Fault::WrongByte, "wrong-byte", FaultRepeat::Once,
     "stores the second byte of the first data record the PC sends changed, and ACKs it"},
    {Fault::XmlNoOk, "xml-no-ok", FaultRepeat::Always,
     "answers every XML request with a status line without OK"},
    {Fault::XmlMalformed, "xml-malformed", FaultRepeat::Always, "answers every XML request with cut-off XML"},
    {Fault::XmlStatusNg, "xml-status-ng", FaultRepeat::Always,
     "answers BackUpReady and PutFinish with status NG"},
    {Fault::XmlFileLeftOut, "xml-file-left-out", FaultRepeat::Always,
     "leaves ZEBU_NME.DAU out of the GetInfo file list"},
    {Fault::XmlNeverClose, "xml-never-close", FaultRepeat::Always,
     "never closes the connection after an XML answer"},
}};

constexpr bool InEnumOrder() {
    for (std::size_t i = 0; i < kFaults.size(); ++i) {
        if (static_cast<std::size_t>(kFaults[i].fault) != i)
            return false;
    }
    return true;
}
static_assert(InEnumOrder(), "InfoOf indexes the table by the enum value");

} // namespace

std::span<const FaultInfo> FaultTable() {
    return kFaults;
}

const FaultInfo& InfoOf(Fault fault) {
    return kFaults[static_cast<std::size_t>(fault)];
}

std::optional<Fault> FaultFromName(QStringView name) {
    for (const FaultInfo& f : kFaults) {
        if (name == QLatin1StringView(f.name))
            return f.fault;
    }
    return std::nullopt;
}

QString FaultNameList() {
    QStringList names;
    for (const FaultInfo& f : kFaults)
        names << QString::fromLatin1(f.name);
    return names.join(QStringLiteral(", "));
}

} // namespace qdv::sim
