#include "PcDriver.h"

#include "store/DataImage.h"

namespace qdv::sim::test {

PcDriver::PcDriver(SimulatedController* controller) : m_controller(controller) {
    controller->SetOutput([this](const QByteArray& bytes) { m_out += bytes; });
    controller->SetDropLine([this] { m_dropped = true; });
}

QByteArray PcDriver::Send(QByteArrayView bytes) {
    m_out.clear();
    m_controller->Receive(bytes);
    return m_out;
}

bool PcDriver::Handshake() {
    return Send(record::AttentionSequence()) == record::FixedRecord(record::Fixed::Ready);
}

QList<QByteArray> PcDriver::Fetch(const QByteArray& request) {
    QList<QByteArray> all;
    QByteArray out = Send(request);
    while (!out.isEmpty()) {
        const QList<QByteArray> got = Records(out);
        all += got;
        if (got.isEmpty() || got.last() == record::FixedRecord(record::Fixed::Abort))
            break;
        const bool end = got.last() == record::FixedRecord(record::Fixed::EndOfTransfer);
        out = Ack();
        if (end)
            break;
    }
    return all;
}

bool PcDriver::Put(char type, std::uint8_t id, const QByteArray& fileText) {
    const QByteArray ack(1, record::kAck);
    int pn = 0;
    if (Send(record::Build(pn++, '1', id, type, 0, {})) != ack)
        return false;
    std::uint32_t oset = 0;
    for (const QByteArray& line : fileText.split('\n')) {
        const QByteArray hdata = line.trimmed();
        if (hdata.isEmpty())
            continue;
        if (Send(record::Build(pn++ & 0x0F, '2', id, type, oset, hdata)) != ack)
            return false;
        oset += static_cast<std::uint32_t>(hdata.size() / 2);
    }
    return Send(record::Build(pn & 0x0F, '3', id, type, 0, {})) == ack;
}

bool PcDriver::IsValidRecord(const QByteArray& rec) {
    record::Parser p;
    record::Parser::Status st = record::Parser::Status::NotStart;
    for (char c : rec)
        st = p.Feed(c);
    return st == record::Parser::Status::Complete;
}

QList<QByteArray> PcDriver::Records(const QByteArray& out) {
    QList<QByteArray> recs;
    qsizetype at = out.indexOf(':');
    while (at >= 0) {
        const qsizetype end = out.indexOf('\n', at);
        recs << out.mid(at, end < 0 ? -1 : end - at + 1);
        at = end < 0 ? -1 : out.indexOf(':', end);
    }
    return recs;
}

QByteArray PcDriver::FileText(const QList<QByteArray>& records) {
    QByteArray text;
    for (const QByteArray& r : records) {
        if (r.size() > 4 && r[4] == '2')
            text += record::View(r).HData().toByteArray() + "\r\n";
    }
    return text;
}

QByteArray DataFileText(int bytes, int seed) {
    QByteArray image(bytes, '\0');
    for (int i = 0; i < bytes; ++i)
        image[i] = static_cast<char>((i * seed + i / 256) & 0xFF);
    return image::Encode(image);
}

} // namespace qdv::sim::test
