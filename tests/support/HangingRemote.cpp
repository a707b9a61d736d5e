#include "support/HangingRemote.h"

#include "history/BackupHistory.h"

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qdv::test {

constexpr int kLongestHoldMs = 20000;

HangingRemote::HangingRemote() {
    m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (m_listener < 0 || ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(m_listener, 1) != 0 ||
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return;
    m_port = ntohs(address.sin_port);
    // One connection is taken and held; once it is closed, so is the port, and later pushes are refused
    // at once instead of waiting in the listen queue.
    m_thread = std::thread([this] {
        pollfd waiting{m_listener, POLLIN, 0};
        if (::poll(&waiting, 1, kLongestHoldMs) == 1) {
            const int connection = ::accept(m_listener, nullptr, nullptr);
            m_taken = true;
            for (int waited = 0; waited < kLongestHoldMs && !m_release; waited += 10)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            ::close(connection);
        }
        ::close(m_listener);
        m_closed = true;
    });
}

HangingRemote::~HangingRemote() {
    m_release = true;
    if (m_thread.joinable())
        m_thread.join();
    else if (m_listener >= 0)
        ::close(m_listener);
    history::BackupHistory::Configure({});
}

QString HangingRemote::Url() const {
    return QStringLiteral("http://127.0.0.1:%1/history.git").arg(m_port);
}

} // namespace qdv::test
