#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>

// Packet records: a line of ASCII that starts with ':' and ends with CR LF, its fields in hexadecimal.
//
//   offset  length   field
//   0       1        ':'
//   1       2        DLEN   data bytes carried, 0..128
//   3       1        PN     packet number 0..F
//   4       1        CMD    command character
//   5       2        ID     station number
//   7       2        INDEX  "0" and the data type character
//   9       6        OSET   byte offset of the first data byte
//   15      2*DLEN   HDATA  the data
//   15+2*DLEN  2     CS     checksum
//   17+2*DLEN  2     CR LF
//
// Everything here is pure: bytes in, bytes or codes out.
namespace qdv::record {

constexpr int kHeaderLength = 15;
constexpr int kMinLength = 19;  // a record without data
constexpr int kMaxData = 128;   // bytes
constexpr int kMaxLength = 275; // 19 + 2 * 128

constexpr char kAck = 0x06;
constexpr char kNak = 0x15;
constexpr char kEtb = 0x17;

// The fixed records, each 19 bytes with its CR LF.
enum class Fixed { Attention, Ready, Unused3, EndOfTransfer, Abort, Unused6, Apply };
QByteArrayView FixedRecord(Fixed which);

// What the PC sends to get the controller's attention: seven control bytes and the attention record.
QByteArrayView AttentionSequence();

// Checksum of a record whose fields up to HDATA are filled: the two's complement of the sum of DLEN,
// the PN and CMD digits as nibbles, ID, the two INDEX digits as nibbles, the three OSET bytes and the
// data bytes.
std::uint8_t Checksum(const char* rec, int dlen);

// Writes CS and CR LF behind the HDATA of a record buffer (at least 19 + 2 x DLEN bytes), reading DLEN
// from the record itself.
void FinishRecord(char* rec);

// Builds a complete record. `hdata` holds the data as hexadecimal characters (2 per byte, at most 256).
QByteArray Build(int pn, char cmd, std::uint8_t id, char dataType, std::uint32_t oset, QByteArrayView hdata);

// The request for a file: DLEN 0, PN 0, the command, ID, data type and OSET 0 (the station menu request
// asks from offset 0x15C0).
QByteArray BuildRequest(char cmd, std::uint8_t id, char dataType, bool stationMenu = false);

// Name-table record payloads (CMD '7') for a secondary station: a 6-byte header and up to five 22-byte
// name blocks, as binary bytes; hex-encode them for the record.
constexpr int kNameBlocksPerRecord = 5;
constexpr int kNameLength = 16;
QByteArray NameRecordHeader(std::uint8_t station, bool last);
QByteArray NameBlock(bool secondHalf, std::uint8_t levelBit, int number, const char name[kNameLength]);

// Hexadecimal text of binary bytes, upper case.
QByteArray ToHex(QByteArrayView bytes);

// Field access on a complete, checked record.
class View {
public:
    explicit View(QByteArrayView rec) : m_rec(rec) {}
    int Dlen() const;
    int Pn() const;
    char Cmd() const { return m_rec[4]; }
    std::uint8_t Id() const;
    char DataType() const { return m_rec[8]; }
    std::uint32_t Oset() const;
    QByteArrayView HData() const { return m_rec.sliced(kHeaderLength, 2 * Dlen()); }
    bool Is(Fixed which) const { return m_rec == FixedRecord(which); }

private:
    QByteArrayView m_rec;
};

// Reads one record a byte at a time: hunt for ':', collect the header, then the data, the checksum and
// CR LF, checking each part as soon as it is complete.
class Parser {
public:
    enum class Status {
        NotStart,   // hunting: the byte was not ':' (the caller decides what it means)
        InProgress, // the byte was taken; the record is not complete yet
        Complete,   // a record passed every check; Record() holds it
        Error,      // the record is refused; ErrorCode() says why; the parser hunts again
    };

    Status Feed(char c);
    void Reset();
    // True between records, including right after a complete one.
    bool Hunting() const { return m_length == 0 || m_done; }
    QByteArrayView Record() const { return QByteArrayView(m_buf, m_length); }
    int ErrorCode() const { return m_error; }

private:
    Status Refuse(int code);

    char m_buf[kMaxLength] = {};
    int m_length = 0;
    int m_expected = kHeaderLength;
    int m_error = 0;
    bool m_done = false;
};

} // namespace qdv::record
