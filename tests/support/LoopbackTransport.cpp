#include "support/LoopbackTransport.h"

#include <cstring>

namespace qdv::test {

void LoopbackTransport::Deliver(QByteArrayView bytes) {
    if (m_open && LineUp() && Accepting())
        m_inbox.append(bytes);
}

bool LoopbackTransport::Open(const LinkTarget& target) {
    ++opens;
    lastTarget = target;
    if (refuseOpen)
        return false;
    m_open = true;
    m_inbox.clear();
    SetAccept(false);
    SetLineUp(!neverUp);
    return true;
}

void LoopbackTransport::Close() {
    ++closes;
    m_open = false;
    m_inbox.clear();
    ClearLineFlags();
}

bool LoopbackTransport::Send(QByteArrayView bytes) {
    if (!m_open || !LineUp())
        return false;
    sent.append(bytes);
    if (m_peer)
        m_peer(bytes);
    return true;
}

qint64 LoopbackTransport::Read(char* dst, qint64 max) {
    const qint64 n = std::min<qint64>(max, m_inbox.size());
    if (n > 0) {
        std::memcpy(dst, m_inbox.constData(), static_cast<std::size_t>(n));
        m_inbox.remove(0, n);
    }
    return n;
}

} // namespace qdv::test
