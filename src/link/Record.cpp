#include "link/Record.h"

#include "base/CatalogueCodes.h"
#include "store/HexText.h"
#include "store/StandardSettingsLayout.h"

#include <array>
#include <cstring>

namespace qdv::record {

namespace {

constexpr std::array<const char*, 7> kFixed = {
    ":0000000000000000\r\n", ":00000100000000FF\r\n", ":000E0000000000F2\r\n", ":000E0100000000F1\r\n",
    ":000F0000000000F1\r\n", ":000F0100000000F0\r\n", ":000A0000000000F6\r\n",
};

constexpr char kAttention[] = "\x17\x04\x04\x05\x05\x02\x16:0000000000000000\r\n";

} // namespace

QByteArrayView FixedRecord(Fixed which) {
    return QByteArrayView(kFixed[static_cast<std::size_t>(which)], kMinLength);
}

QByteArrayView AttentionSequence() {
    return QByteArrayView(kAttention, sizeof(kAttention) - 1);
}

std::uint8_t Checksum(const char* rec, int dlen) {
    unsigned sum = hex::Byte(rec + 1);
    sum +=
        static_cast<unsigned>(hex::Nibble(rec[3]) & 0x0F) + static_cast<unsigned>(hex::Nibble(rec[4]) & 0x0F);
    sum += hex::Byte(rec + 5);
    sum +=
        static_cast<unsigned>(hex::Nibble(rec[7]) & 0x0F) + static_cast<unsigned>(hex::Nibble(rec[8]) & 0x0F);
    sum += hex::Byte(rec + 9) + hex::Byte(rec + 11) + hex::Byte(rec + 13);
    for (int i = 0; i < dlen; ++i)
        sum += hex::Byte(rec + kHeaderLength + 2 * i);
    return static_cast<std::uint8_t>((256 - (sum & 0xFF)) & 0xFF);
}

void FinishRecord(char* rec) {
    const int dlen = hex::Byte(rec + 1);
    char* tail = rec + kHeaderLength + 2 * dlen;
    hex::PutByte(tail, Checksum(rec, dlen));
    tail[2] = '\r';
    tail[3] = '\n';
}

QByteArray Build(int pn, char cmd, std::uint8_t id, char dataType, std::uint32_t oset, QByteArrayView hdata) {
    const int dlen = static_cast<int>(std::min<qsizetype>(hdata.size(), 2 * kMaxData) / 2);
    QByteArray rec(kMinLength + 2 * dlen, '\0');
    char* p = rec.data();
    p[0] = ':';
    hex::PutByte(p + 1, static_cast<std::uint8_t>(dlen));
    p[3] = hex::kDigits[pn & 0x0F];
    p[4] = cmd;
    hex::PutByte(p + 5, id);
    p[7] = '0';
    p[8] = dataType;
    hex::PutField(p + 9, oset & 0xFFFFFF, 6);
    if (dlen > 0)
        std::memcpy(p + kHeaderLength, hdata.data(), static_cast<std::size_t>(2 * dlen));
    FinishRecord(p);
    return rec;
}

QByteArray BuildRequest(char cmd, std::uint8_t id, char dataType, bool stationMenu) {
    return Build(0, cmd, id, dataType, stationMenu ? std::uint32_t{stdlayout::kStationMenu} : 0u, {});
}

QByteArray NameRecordHeader(std::uint8_t station, bool last) {
    const char h[6] = {static_cast<char>(station), static_cast<char>(last ? 0x8C : 0xCC),          0x01, 0x31,
                       static_cast<char>(station), static_cast<char>(station == 255 ? 0xFF : 0x00)};
    return QByteArray(h, 6);
}

QByteArray NameBlock(bool secondHalf, std::uint8_t levelBit, int number, const char name[kNameLength]) {
    QByteArray b(6, '\0');
    b[2] = static_cast<char>(secondHalf ? 0x80 : 0x00);
    b[3] = static_cast<char>(levelBit);
    b[4] = static_cast<char>((number >> 8) & 0xFF);
    b[5] = static_cast<char>(number & 0xFF);
    b.append(name, kNameLength);
    return b;
}

QByteArray ToHex(QByteArrayView bytes) {
    QByteArray out(2 * bytes.size(), '\0');
    for (qsizetype i = 0; i < bytes.size(); ++i)
        hex::PutByte(out.data() + 2 * i, static_cast<std::uint8_t>(bytes[i]));
    return out;
}

int View::Dlen() const {
    return hex::Byte(m_rec.data() + 1);
}
int View::Pn() const {
    return hex::Nibble(m_rec[3]) & 0x0F;
}
std::uint8_t View::Id() const {
    return hex::Byte(m_rec.data() + 5);
}
std::uint32_t View::Oset() const {
    return hex::Field(m_rec.data() + 9, 6);
}

void Parser::Reset() {
    m_length = 0;
    m_expected = kHeaderLength;
    m_error = 0;
    m_done = false;
}

Parser::Status Parser::Refuse(int code) {
    Reset();
    m_error = code;
    return Status::Error;
}

Parser::Status Parser::Feed(char c) {
    if (m_done)
        Reset();
    if (m_length == 0) {
        if (c != ':')
            return Status::NotStart;
        m_buf[m_length++] = c;
        m_error = 0;
        return Status::InProgress;
    }
    m_buf[m_length++] = c;
    if (m_length <= kHeaderLength) {
        if (c == '\n')
            return Refuse(msg::kBadPacketSize);
        if (m_length == kHeaderLength) {
            const int dlen = hex::Byte(m_buf + 1);
            if (dlen > kMaxData)
                return Refuse(msg::kBadPacketSize);
            m_expected = kMinLength + 2 * dlen;
        }
        return Status::InProgress;
    }
    if (m_length < m_expected)
        return Status::InProgress;
    if (m_buf[m_expected - 2] != '\r' || m_buf[m_expected - 1] != '\n')
        return Refuse(msg::kBadCrLf);
    const int dlen = (m_expected - kMinLength) / 2;
    const int cs = hex::Byte(m_buf + kHeaderLength + 2 * dlen);
    if (cs != Checksum(m_buf, dlen))
        return Refuse(msg::kBadChecksum);
    m_done = true;
    return Status::Complete;
}

} // namespace qdv::record
