#include "sim/SimulatedController.h"

#include "convert/CrosspointTable.h"
#include "convert/TerminalSide.h"
#include "store/AtomicFile.h"
#include "store/DataFileSet.h"
#include "store/DataImage.h"
#include "store/HexText.h"
#include "store/PathNoCase.h"
#include "store/SendFileReader.h"
#include "store/StandardSettingsLayout.h"

#include <QDir>
#include <QFileInfo>
#include <cctype>

namespace qdv::sim {

namespace {

using record::Fixed;
using record::FixedRecord;

// The station menu is its part of the standard settings image, which the PC asks for with a request of
// type "1" at that offset.
constexpr std::uint32_t kMenuOffset = stdlayout::kStationMenu;
constexpr int kMenuBytes = stdlayout::kStationMenuSize;

// Compact crosspoint list entry: level mask, rotated destination, source (8 characters).
constexpr int kRouteChars = 8;

bool IsHexText(QByteArrayView text) {
    for (char c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

// True when the record's data would reach beyond the largest image a file from the PC may fill.
bool ReachesBeyondImage(const record::View& v) {
    return v.Oset() + static_cast<std::uint32_t>(v.Dlen()) > SimulatedController::kMaxImageBytes;
}

// A data type character other than `type`, still a valid one (1..F).
char OtherType(char type) {
    return hex::kDigits[datafiles::CodeOfCharacter(type) % 15 + 1];
}

} // namespace

SimulatedController::SimulatedController(QString dataDir, FaultPlan* faults)
    : m_dir(std::move(dataDir)), m_faults(faults ? faults : &m_noFaults) {}

void SimulatedController::Emit(QByteArrayView bytes) {
    if (m_output)
        m_output(bytes.toByteArray());
}

void SimulatedController::Report(const QString& text) {
    if (m_log)
        m_log(text);
}

void SimulatedController::Receive(QByteArrayView bytes) {
    for (char c : bytes) {
        if (m_state == State::Dropped)
            return;
        if (c == record::kEtb) {
            m_parser.Reset();
            EndTransfer(true);
            continue;
        }
        if (m_parser.Hunting() && (c == record::kAck || c == record::kNak)) {
            OnControl(c);
            continue;
        }
        switch (m_parser.Feed(c)) {
        case record::Parser::Status::NotStart: // the attention's control bytes, line noise
        case record::Parser::Status::InProgress:
            break;
        case record::Parser::Status::Error:
            if (m_state != State::Idle && m_state != State::Stalled)
                Nak();
            break;
        case record::Parser::Status::Complete: {
            const QByteArray rec = m_parser.Record().toByteArray();
            // Hunting() stays false after a complete record until the next byte; the next byte may be
            // an ACK that must be seen as one.
            m_parser.Reset();
            OnRecord(rec);
            break;
        }
        }
    }
}

void SimulatedController::Disconnected() {
    if (m_state != State::Dropped)
        EndTransfer(false);
}

void SimulatedController::EndTransfer(bool apply) {
    if (apply && m_state == State::ReceivingCrosspoints)
        ApplyCrosspoints();
    m_chunks.clear();
    m_lines.clear();
    m_routes.clear();
    m_record.clear();
    m_state = State::Idle;
    m_faults->EndTransfer();
}

void SimulatedController::Drop() {
    m_chunks.clear();
    m_lines.clear();
    m_routes.clear();
    m_state = State::Dropped;
    m_faults->EndTransfer();
    if (m_drop)
        m_drop();
}

void SimulatedController::OnControl(char c) {
    if (m_state != State::Serving)
        return; // nothing of ours awaits an answer
    if (c == record::kNak)
        Transmit();
    else
        OnAck();
}

void SimulatedController::OnRecord(const QByteArray& rec) {
    const record::View v(rec);
    if (v.Is(Fixed::Attention)) {
        EndTransfer(true);
        if (m_faults->Fire(Fault::NoReady))
            return;
        Emit(FixedRecord(Fixed::Ready));
        m_state = State::Ready;
        return;
    }
    switch (m_state) {
    case State::Idle:
    case State::Stalled:
    case State::Dropped:
        return; // not listening until the next attention
    case State::Ready:
        switch (v.Cmd()) {
        case '8':
        case '9':
        case 'C':
            StartServing(v);
            return;
        case '1':
            StartReceivingFile(v);
            return;
        case 'B':
            m_state = State::ReceivingCrosspoints;
            OnCrosspointRecord(rec);
            return;
        case '7':
            m_state = State::ReceivingNames;
            m_names.Reset();
            OnNameRecord(rec);
            return;
        default:
            Nak();
            return;
        }
    case State::ReceivingFile:
        if (v.Cmd() == '2')
            OnFileData(rec);
        else if (v.Cmd() == '3')
            OnFileEnd(rec);
        else
            Nak();
        return;
    case State::FileStored:
        if (v.Is(Fixed::Apply)) {
            ++m_applyRecords;
            Ack();
        } else {
            Nak();
        }
        return;
    case State::ReceivingCrosspoints:
        if (v.Cmd() == 'B')
            OnCrosspointRecord(rec);
        else
            Nak();
        return;
    case State::ReceivingNames:
        if (v.Cmd() == '7')
            OnNameRecord(rec);
        else
            Nak();
        return;
    case State::Serving:
        Nak(); // the PC only answers while we send
        return;
    }
}

QString SimulatedController::FileOf(int code, int station) const {
    if (!datafiles::Entry(code).HasFile())
        return {};
    const QString name = datafiles::FileName(code, station);
    if (code == datafiles::kStationDat)
        return JoinNoCase(m_dir, name);
    const QString folder = code == datafiles::kNme   ? QStringLiteral("Name")
                           : code == datafiles::kXpt ? QStringLiteral("XPoint")
                                                     : QStringLiteral("Primary");
    return JoinNoCase(JoinNoCase(m_dir, folder), name);
}

// ---------------------------------------------------------------------------------------------------
// Serving a file: start record, one data record per line, end record, end-of-transfer record, each
// sent when the previous one is ACKed.

bool SimulatedController::LoadChunks(const QString& path, std::vector<Chunk>* chunks) {
    SendFileReader reader;
    if (!QFileInfo::exists(path)) {
        Report(QStringLiteral("no such file: %1").arg(QDir::toNativeSeparators(path)));
        return false;
    }
    if (!reader.LoadSendFile(path)) {
        Report(QStringLiteral("cannot read %1").arg(QDir::toNativeSeparators(path)));
        return false;
    }
    std::uint32_t oset = 0;
    for (int i = 0; i < reader.ChunkCount(); ++i) {
        const QByteArrayView line = reader.Chunk(i);
        if (line.size() % 2 != 0 || !IsHexText(line)) {
            Report(QStringLiteral("%1 is not a data file (line %2)")
                       .arg(QDir::toNativeSeparators(path))
                       .arg(i + 1));
            return false;
        }
        chunks->push_back({oset, line.toByteArray()});
        oset += static_cast<std::uint32_t>(line.size() / 2);
    }
    if (chunks->empty()) {
        Report(QStringLiteral("%1 is empty").arg(QDir::toNativeSeparators(path)));
        return false;
    }
    return true;
}

bool SimulatedController::LoadStationMenu(std::vector<Chunk>* chunks) {
    std::vector<Chunk> lines;
    if (!LoadChunks(FileOf(datafiles::kStd, 0), &lines))
        return false;
    QByteArray text;
    for (const Chunk& c : lines)
        text += c.hdata;
    const qsizetype from = 2 * static_cast<qsizetype>(kMenuOffset);
    if (text.size() < from + 2 * kMenuBytes) {
        Report(QStringLiteral("ZEBU_STD.DAU is too short for the station menu"));
        return false;
    }
    for (int b = 0; b < kMenuBytes; b += image::kBytesPerLine) {
        chunks->push_back(
            {kMenuOffset + static_cast<std::uint32_t>(b), text.mid(from + 2 * b, 2 * image::kBytesPerLine)});
    }
    return true;
}

void SimulatedController::StartServing(const record::View& request) {
    m_chunks.clear();
    m_type = request.DataType();
    m_id = 0x01;
    const int code = datafiles::CodeOfCharacter(m_type);
    bool ok = false;
    if (request.Cmd() == '8' && code == datafiles::kStd && request.Oset() == kMenuOffset) {
        ok = LoadStationMenu(&m_chunks);
    } else if (request.Cmd() == '9') {
        m_id = request.Id();
        if (StationFault(m_id))
            return;
        ok = LoadChunks(FileOf(datafiles::kStationDat, m_id), &m_chunks);
    } else if (request.Cmd() == 'C') {
        ok = LoadChunks(FileOf(datafiles::kXpt, 0), &m_chunks);
    } else {
        const QString path = FileOf(code, 0);
        if (path.isEmpty())
            Report(QStringLiteral("no file has data type %1").arg(QLatin1Char(m_type)));
        else
            ok = LoadChunks(path, &m_chunks);
    }
    if (!ok) {
        Emit(FixedRecord(Fixed::Abort));
        EndTransfer(false);
        return;
    }
    m_state = State::Serving;
    m_pn = 0;
    SendNew(Step::Start, 0);
}

void SimulatedController::SendNew(Step step, int index) {
    m_step = step;
    m_index = index;
    switch (step) {
    case Step::Start:
        m_record = record::Build(m_pn, '1', m_id, m_type, 0, {});
        break;
    case Step::Data: {
        const Chunk& c = m_chunks[static_cast<std::size_t>(index)];
        m_record = record::Build(m_pn, '2', m_id, m_type, c.oset, c.hdata);
        break;
    }
    case Step::End:
        m_record = record::Build(m_pn, '3', m_id, m_type, 0, {});
        break;
    case Step::EndOfTransfer:
        m_record = FixedRecord(Fixed::EndOfTransfer).toByteArray();
        break;
    }
    if (step != Step::EndOfTransfer)
        m_pn = (m_pn + 1) & 0x0F;
    Transmit();
}

// Sends m_record, the first time or again after a NAK.
void SimulatedController::Transmit() {
    if (m_step == Step::Data)
        TransmitData();
    else
        Emit(m_record);
}

void SimulatedController::TransmitData() {
    if (m_faults->Fire(Fault::AbortRecord, m_record)) {
        Emit(FixedRecord(Fixed::Abort));
        EndTransfer(false);
        return;
    }
    const record::View v(m_record);
    int pn = v.Pn();
    std::uint8_t id = v.Id();
    char type = v.DataType();
    if (m_faults->Fire(Fault::UnexpectedPn, m_record))
        pn = (pn + 1) & 0x0F;
    if (m_faults->Fire(Fault::WrongId, m_record))
        id = static_cast<std::uint8_t>(id + 1);
    if (m_faults->Fire(Fault::WrongType, m_record))
        type = OtherType(type);
    QByteArray wire = record::Build(pn, '2', id, type, v.Oset(), v.HData());
    if (m_faults->Fire(Fault::BadChecksumOnce, m_record) ||
        m_faults->Fire(Fault::BadChecksumTwice, m_record)) {
        char* cs = wire.data() + record::kHeaderLength + 2 * v.Dlen();
        hex::PutByte(cs, static_cast<std::uint8_t>(hex::Byte(cs) + 1));
    }
    if (m_faults->Fire(Fault::Stall, m_record)) {
        Emit(QByteArrayView(wire).first(wire.size() / 2));
        m_state = State::Stalled;
        return;
    }
    Emit(wire);
}

void SimulatedController::OnAck() {
    const int dataCount = static_cast<int>(m_chunks.size());
    switch (m_step) {
    case Step::Start:
        if (m_faults->Fire(Fault::ReadyBeforeData))
            Emit(FixedRecord(Fixed::Ready));
        SendNew(Step::Data, 0);
        return;
    case Step::Data: {
        if (m_faults->Fire(Fault::DropLine, m_record)) {
            Drop();
            return;
        }
        int next = m_index + 1;
        if (next == 1 && next < dataCount && m_faults->Fire(Fault::SkipOffset))
            ++next;
        if (next < dataCount)
            SendNew(Step::Data, next);
        else
            SendNew(Step::End, 0);
        return;
    }
    case Step::End:
        SendNew(Step::EndOfTransfer, 0);
        return;
    case Step::EndOfTransfer:
        m_chunks.clear();
        m_record.clear();
        m_state = State::Idle;
        return;
    }
}

// ---------------------------------------------------------------------------------------------------
// Records from the PC.

// Faults that answer a data record from the PC in place of the controller; true when one did.
bool SimulatedController::DataRecordFault(const QByteArray& rec) {
    if (m_faults->Fire(Fault::DropLine, rec)) {
        Drop();
        return true;
    }
    if (m_faults->Fire(Fault::NoAck, rec))
        return true;
    if (m_faults->Fire(Fault::NakOnce, rec) || m_faults->Fire(Fault::NakTwice, rec)) {
        Nak();
        return true;
    }
    return false;
}

// A disabled station answers with the abort record, a silent one not at all; either way the transfer is
// over for the controller. True when the station has such a fault.
bool SimulatedController::StationFault(int station) {
    switch (m_faults->StationFaultOf(station)) {
    case FaultPlan::StationFault::None:
        return false;
    case FaultPlan::StationFault::Disabled:
        Emit(FixedRecord(Fixed::Abort));
        break;
    case FaultPlan::StationFault::Silent:
        break;
    }
    EndTransfer(false);
    return true;
}

void SimulatedController::StartReceivingFile(const record::View& start) {
    const int code = datafiles::CodeOfCharacter(start.DataType());
    if (code == datafiles::kStationDat && StationFault(start.Id()))
        return;
    m_target = FileOf(code, start.Id());
    if (m_target.isEmpty()) {
        Report(QStringLiteral("refused a file of data type %1").arg(QLatin1Char(start.DataType())));
        Nak();
        return;
    }
    m_lines.clear();
    m_state = State::ReceivingFile;
    Ack();
}

void SimulatedController::OnFileData(const QByteArray& rec) {
    if (DataRecordFault(rec))
        return;
    const record::View v(rec);
    if (ReachesBeyondImage(v)) {
        Report(QStringLiteral("refused a data record at offset %1").arg(v.Oset()));
        Nak();
        return;
    }
    QByteArray hdata = v.HData().toByteArray();
    if (hdata.size() >= 4 && m_faults->Fire(Fault::WrongByte, rec))
        hdata[3] = hdata[3] == '0' ? '1' : '0'; // the low digit of byte 1: a wrong value, stored silently
    m_lines[v.Oset()] = hdata;
    Ack();
}

void SimulatedController::OnFileEnd(const QByteArray& rec) {
    const record::View v(rec);
    // The end record may carry the last data too; that data is bounded like any data record's.
    if (v.Dlen() > 0) {
        if (ReachesBeyondImage(v)) {
            Report(QStringLiteral("refused an end record at offset %1").arg(v.Oset()));
            Nak();
            return;
        }
        m_lines[v.Oset()] = v.HData().toByteArray();
    }
    // The lines in the order of their offsets; a gap the PC left becomes lines of "0", as a receiving
    // PC fills one.
    QByteArray text;
    std::int64_t count = 0;
    const QByteArray zeroLine = QByteArray(image::kCharsPerLine, '0') + "\r\n";
    for (const auto& [oset, hdata] : m_lines) {
        while (count < oset) {
            text += zeroLine;
            count += image::kBytesPerLine;
        }
        text += hdata + "\r\n";
        count += hdata.size() / 2;
    }
    QString error;
    if (!QDir().mkpath(QFileInfo(m_target).absolutePath()) || !WriteFileAtomically(m_target, text, &error)) {
        // Stay in the transfer: the PC resends the end record after the NAK and the write is tried again.
        Report(QStringLiteral("cannot write %1: %2").arg(QDir::toNativeSeparators(m_target), error));
        Nak();
        return;
    }
    m_lines.clear();
    m_state = State::FileStored;
    Ack();
}

void SimulatedController::OnCrosspointRecord(const QByteArray& rec) {
    m_lastCrosspointAcked = false;
    if (DataRecordFault(rec))
        return;
    const QByteArrayView list = record::View(rec).HData();
    std::vector<Route> routes;
    for (qsizetype at = 0; at + kRouteChars <= list.size(); at += kRouteChars) {
        const char* e = list.data() + at;
        // The destination's three digits come rotated: second, third, first.
        const int dest = (hex::Nibble(e[4]) << 8) | (hex::Nibble(e[2]) << 4) | hex::Nibble(e[3]);
        const int source = (hex::Nibble(e[5]) << 8) | (hex::Nibble(e[6]) << 4) | hex::Nibble(e[7]);
        if (dest < 1 || dest > kTerminalCount)
            break;
        routes.push_back({hex::Byte(e), dest, static_cast<std::uint16_t>(source)});
    }
    if (list.isEmpty() || list.size() % kRouteChars != 0 || !IsHexText(list) ||
        static_cast<qsizetype>(routes.size()) != list.size() / kRouteChars) {
        Report(QStringLiteral("refused a crosspoint record: %1").arg(QString::fromLatin1(list)));
        Nak();
        return;
    }
    m_routes.insert(m_routes.end(), routes.begin(), routes.end());
    m_lastCrosspointAcked = true;
    Ack();
}

// The table becomes exactly the routes of the list. A list whose last record was refused or never
// answered is not applied: the PC has given up on it, and half a list would wipe the rest of the table.
bool SimulatedController::ApplyCrosspoints() {
    if (!m_lastCrosspointAcked || m_routes.empty())
        return false;
    CrosspointTable table;
    for (const Route& r : m_routes) {
        for (int level = 1; level <= CrosspointTable::kLevels; ++level) {
            if (r.levels & (1u << (level - 1)))
                table.SetSource(level, r.destination, r.source);
        }
    }
    const QString path = FileOf(datafiles::kXpt, 0);
    QString error;
    if (!QDir().mkpath(QFileInfo(path).absolutePath()) ||
        !WriteFileAtomically(path, table.SaveDau(), &error)) {
        Report(QStringLiteral("cannot write %1: %2").arg(QDir::toNativeSeparators(path), error));
        return false;
    }
    return true;
}

void SimulatedController::OnNameRecord(const QByteArray& rec) {
    if (DataRecordFault(rec))
        return;
    const record::View v(rec);
    QString why;
    NameReceiver::Result result = NameReceiver::Result::Refused;
    if (v.Id() != 0x00 || v.DataType() != '0' || v.Oset() != 0)
        why = QStringLiteral("a name record with ID %1, data type %2, offset %3")
                  .arg(v.Id())
                  .arg(QLatin1Char(v.DataType()))
                  .arg(v.Oset());
    else
        result = m_names.Take(QByteArray::fromHex(v.HData().toByteArray()), &why);
    // A disabled station refuses the names with the abort record, a silent one does not answer.
    if (result != NameReceiver::Result::Refused && StationFault(m_names.Station()))
        return;
    if (result == NameReceiver::Result::Last && !m_names.Store(m_dir, &why))
        result = NameReceiver::Result::Refused;
    if (result == NameReceiver::Result::Refused) {
        Report(QStringLiteral("refused %1").arg(why));
        Nak();
        return;
    }
    ++m_nameRecords;
    Ack();
}

} // namespace qdv::sim
