#pragma once

#include <QString>
#include <optional>
#include <span>

namespace qdv::sim {

// Misbehaviours the simulated controller can be told to show, one at a time or several together.
// Each fires at one well-defined point, given in the table in Fault.cpp; unless said otherwise on the
// first occasion in the process's life, and never again.
enum class Fault {
    NoReady,
    NakOnce,
    NakTwice,
    NoAck,
    BadChecksumOnce,
    BadChecksumTwice,
    Stall,
    AbortRecord,
    UnexpectedPn,
    WrongId,
    WrongType,
    ReadyBeforeData,
    SkipOffset,
    DropLine,
    WrongByte,
    // Faults of the network-controller exchange (qdv70sim --netctl).
    XmlNoOk,
    XmlMalformed,
    XmlStatusNg,
    XmlFileLeftOut,
    XmlNeverClose,
};
constexpr int kFaultCount = 20;

// How often a fault fires once its occasion has come.
enum class FaultRepeat {
    Once,          // on the first occasion only
    Twice,         // on the first occasion and on the resend of the same record right after it
    WholeTransfer, // on the first occasion and every resend of the same record until that transfer ends
    Always,        // on every occasion
};

struct FaultInfo {
    Fault fault;
    const char* name; // as given on the command line
    FaultRepeat repeat;
    const char* fires; // where it fires and what it does, for --help
};

// Every fault, in the order of the enum.
std::span<const FaultInfo> FaultTable();
const FaultInfo& InfoOf(Fault fault);
// The fault of a command-line name; none for an unknown name.
std::optional<Fault> FaultFromName(QStringView name);
// "no-ready, nak-once, ..." for messages.
QString FaultNameList();

} // namespace qdv::sim
