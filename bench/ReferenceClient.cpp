#include "ReferenceClient.h"

#include "link/Record.h"
#include "store/ReceivedFileWriter.h"
#include "store/SendFileReader.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// Only a guard against a hung device, far above any answer time on loopback.
constexpr int kGuardMs = 5000;
} // namespace

ReferenceClient::~ReferenceClient() {
    Close();
}

bool ReferenceClient::Fail(const QString& why) {
    if (m_error.isEmpty())
        m_error = why;
    return false;
}

bool ReferenceClient::Connect(quint16 port) {
    Close();
    m_error.clear();
    m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_fd < 0)
        return Fail(QStringLiteral("socket: %1").arg(std::strerror(errno)));
    const int on = 1;
    ::setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0)
        return Fail(QStringLiteral("connect: %1").arg(std::strerror(errno)));
    return true;
}

void ReferenceClient::Close() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_inCount = m_inPos = 0;
}

bool ReferenceClient::SendAll(const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::send(m_fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done), MSG_NOSIGNAL);
        if (n <= 0)
            return Fail(QStringLiteral("send: %1").arg(std::strerror(errno)));
        done += n;
    }
    return true;
}

bool ReferenceClient::NextByte(char* c) {
    if (m_inPos == m_inCount) {
        pollfd p{m_fd, POLLIN, 0};
        if (::poll(&p, 1, kGuardMs) != 1)
            return Fail(QStringLiteral("no answer"));
        const ssize_t n = ::recv(m_fd, m_in, sizeof m_in, 0);
        if (n <= 0)
            return Fail(QStringLiteral("line closed"));
        m_inCount = static_cast<int>(n);
        m_inPos = 0;
    }
    *c = m_in[m_inPos++];
    return true;
}

bool ReferenceClient::ReadRecord(QByteArray* rec) {
    qdv::record::Parser parser;
    for (;;) {
        char c;
        if (!NextByte(&c))
            return false;
        switch (parser.Feed(c)) {
        case qdv::record::Parser::Status::Complete:
            *rec = parser.Record().toByteArray();
            return true;
        case qdv::record::Parser::Status::Error:
            return Fail(QStringLiteral("bad record (%1)").arg(parser.ErrorCode()));
        default:
            break; // bytes between records are skipped
        }
    }
}

bool ReferenceClient::Handshake() {
    if (!SendAll(qdv::record::AttentionSequence().toByteArray()))
        return false;
    QByteArray rec;
    if (!ReadRecord(&rec))
        return false;
    return rec == qdv::record::FixedRecord(qdv::record::Fixed::Ready) || Fail(QStringLiteral("no READY"));
}

bool ReferenceClient::ReceiveFile(char type, const QString& path) {
    using qdv::record::View;
    if (!Handshake() || !SendAll(qdv::record::BuildRequest('8', 0x00, type)))
        return false;
    qdv::ReceivedFileWriter writer;
    const QString work = qdv::ReceivedFileWriter::WorkFileOf(path);
    const QByteArray ack(1, qdv::record::kAck);
    bool first = true;
    QByteArray rec;
    for (;;) {
        if (!ReadRecord(&rec))
            return false;
        const View v(rec);
        if (v.Is(qdv::record::Fixed::EndOfTransfer))
            break;
        if (v.Cmd() == '2' || v.Cmd() == '3') {
            if (!writer.WriteReceivedData(first, false, v.Dlen(), v.HData().data(), v.Oset(), work, path,
                                          v.Cmd() == '3'))
                return Fail(writer.ErrorString());
            first = false;
        } else if (v.Cmd() != '1') {
            return Fail(QStringLiteral("unexpected record %1").arg(QString::fromLatin1(rec.trimmed())));
        }
        if (!SendAll(ack))
            return false;
    }
    return SendAll(ack) && SendAll(QByteArray(1, qdv::record::kEtb));
}

bool ReferenceClient::SendRecord(const QByteArray& rec) {
    if (!SendAll(rec))
        return false;
    char c = 0;
    while (c != qdv::record::kAck) {
        if (!NextByte(&c))
            return false;
        if (c == qdv::record::kNak)
            return Fail(QStringLiteral("NAK"));
    }
    return true;
}

bool ReferenceClient::SendFile(char type, const QString& path, bool apply) {
    using qdv::record::Build;
    qdv::SendFileReader reader;
    if (!reader.LoadSendFile(path))
        return Fail(QStringLiteral("cannot read %1").arg(path));
    if (!Handshake())
        return false;
    int pn = 0;
    std::uint32_t oset = 0;
    if (!SendRecord(Build(pn++, '1', 0x01, type, 0, {})))
        return false;
    while (reader.HasMore()) {
        const QByteArrayView chunk = reader.NextChunk();
        if (!SendRecord(Build(pn++ & 0x0F, '2', 0x01, type, oset, chunk)))
            return false;
        oset += static_cast<std::uint32_t>(chunk.size() / 2);
    }
    if (!SendRecord(Build(pn & 0x0F, '3', 0x01, type, 0, {})))
        return false;
    if (apply && !SendRecord(qdv::record::FixedRecord(qdv::record::Fixed::Apply).toByteArray()))
        return false;
    return SendAll(QByteArray(1, qdv::record::kEtb));
}
