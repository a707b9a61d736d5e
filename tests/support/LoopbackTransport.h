#pragma once

#include "link/Transport.h"

#include <QByteArray>
#include <functional>

namespace qdv::test {

// A transport whose far end is a function in the same process: what the engine sends is handed to the
// peer at once, what the peer answers waits in an inbox until the engine reads it. Tests can refuse the
// open, keep the line from coming up, or cut it.
class LoopbackTransport final : public Transport {
public:
    using Peer = std::function<void(QByteArrayView)>;

    void SetPeer(Peer peer) { m_peer = std::move(peer); }
    // Bytes from the peer; dropped while the engine does not accept them.
    void Deliver(QByteArrayView bytes);

    bool refuseOpen = false;
    bool neverUp = false;

    bool Open(const LinkTarget& target) override;
    void Close() override;
    bool Send(QByteArrayView bytes) override;
    qint64 Read(char* dst, qint64 max) override;

    // The far end hangs up.
    void Drop() { SetLineUp(false); }

    int opens = 0;
    int closes = 0;
    LinkTarget lastTarget;
    QByteArray sent; // everything the engine sent

private:
    Peer m_peer;
    QByteArray m_inbox;
    bool m_open = false;
};

} // namespace qdv::test
