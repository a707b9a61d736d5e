#include "services/SoapServer.h"

#include <stdsoap2.h>

#include <chrono>

#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qdv {
namespace {

constexpr int kBacklog = 100;
constexpr int kAcceptPollMicroseconds = 200000; // how often the accept thread looks for a stop
constexpr int kAcceptRetryMs = 100;
constexpr int kBadRequest = 400; // an HTTP status as error: answered as such

int BoundPort(SOAP_SOCKET socket) {
    sockaddr_storage addr{};
    socklen_t len = sizeof addr;
    if (getsockname(socket, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        return 0;
    if (addr.ss_family == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in*>(&addr)->sin_port);
    if (addr.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6*>(&addr)->sin6_port);
    return 0;
}

} // namespace

SoapServer::SoapServer(Config config, Log log) : m_config(std::move(config)), m_log(std::move(log)) {}

SoapServer::~SoapServer() {
    Stop();
}

bool SoapServer::Start() {
    if (m_master)
        return true;
    soap* master = soap_new1(SOAP_XML_STRICT | SOAP_IO_KEEPALIVE);
    if (!master) {
        m_log(QStringLiteral("bind err"));
        return false;
    }
    soap_set_namespaces(master, m_config.namespaces);
    master->user = m_config.user;
    master->bind_flags = SO_REUSEADDR;
    master->socket_flags = MSG_NOSIGNAL;
    master->accept_timeout = -kAcceptPollMicroseconds;
    master->recv_timeout = m_config.recvTimeoutSeconds;
    master->send_timeout = m_config.sendTimeoutSeconds;
    master->transfer_timeout = m_config.transferTimeoutSeconds;
    master->recv_maxlength = m_config.maxRequestBytes;

    const QByteArray host = m_config.bindAddress.toLatin1();
    if (!soap_valid_socket(
            soap_bind(master, host.isEmpty() ? nullptr : host.constData(), m_config.port, kBacklog))) {
        // The service is then not offered; the rest of the program runs on.
        m_log(QStringLiteral("bind err"));
        const char* detail = *soap_faultstring(master);
        m_log(QStringLiteral("%1: cannot listen on %2 port %3: %4")
                  .arg(QLatin1String(m_config.name),
                       host.isEmpty() ? QStringLiteral("any address") : m_config.bindAddress)
                  .arg(m_config.port)
                  .arg(QString::fromLocal8Bit(detail ? detail : "")));
        soap_destroy(master);
        soap_end(master);
        soap_free(master);
        return false;
    }
    m_port = BoundPort(master->master);
    m_master = master;
    m_stop = false;
    for (int i = 0; i < m_config.workers; ++i)
        m_workers.emplace_back(&SoapServer::WorkerLoop, this);
    m_acceptThread = std::thread(&SoapServer::AcceptLoop, this);
    return true;
}

void SoapServer::Stop() {
    if (!m_master)
        return;
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
        // Connections being served end at their next read or write. Their stop handles stay open until
        // their workers close them, so no handle here can name another socket meanwhile.
        for (const auto& [context, handle] : m_serving)
            ::shutdown(handle, SHUT_RDWR);
    }
    m_wake.notify_all();
    m_acceptThread.join();
    for (std::thread& t : m_workers)
        t.join();
    m_workers.clear();
    for (const Connection& c : m_pending) {
        ::close(c.stopHandle);
        soap_free(c.context);
    }
    m_pending.clear();
    soap_destroy(m_master);
    soap_end(m_master);
    soap_free(m_master); // closes the listening socket
    m_master = nullptr;
}

void SoapServer::AcceptLoop() {
    while (!m_stop) {
        {
            // Accept only when a worker is free to take the connection at once; until then new clients
            // wait in the listen backlog.
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [&] { return m_stop || m_idle > static_cast<int>(m_pending.size()); });
            if (m_stop)
                break;
        }
        if (!soap_valid_socket(soap_accept(m_master))) {
            // The poll interval passed (no error), or accept failed, for example for want of file
            // descriptors: then wait a little rather than spin, and try again.
            if (m_master->errnum != 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(kAcceptRetryMs));
            continue;
        }
        const int stopHandle = ::fcntl(m_master->socket, F_DUPFD_CLOEXEC, 0);
        soap* copy = stopHandle >= 0 ? soap_copy(m_master) : nullptr;
        if (!copy) {
            if (stopHandle >= 0)
                ::close(stopHandle);
            soap_force_closesock(m_master);
            continue;
        }
        // The connection belongs to the copy now; the master must not close it when it is freed.
        m_master->socket = SOAP_INVALID_SOCKET;
        {
            const std::lock_guard lock(m_mutex);
            m_pending.push_back({copy, stopHandle});
        }
        m_wake.notify_all();
    }
}

void SoapServer::WorkerLoop() {
    for (;;) {
        Connection c;
        {
            std::unique_lock lock(m_mutex);
            ++m_idle;
            m_wake.notify_all();
            m_wake.wait(lock, [&] { return m_stop || !m_pending.empty(); });
            --m_idle;
            if (m_stop)
                return;
            c = m_pending.front();
            m_pending.pop_front();
            m_serving.emplace(c.context, c.stopHandle);
        }
        soap* s = c.context;
        ServeConnection(s);
        {
            const std::lock_guard lock(m_mutex);
            m_serving.erase(s);
            ::close(c.stopHandle);
        }
        soap_destroy(s);
        soap_end(s);
        soap_free(s);
    }
}

// The generated soap_serve, with one change: a request whose envelope cannot be read (not XML, an HTTP
// method other than POST, too long) is answered with a fault or HTTP error instead of a closed
// connection, so that the client learns why.
void SoapServer::ServeConnection(soap* s) {
    s->keep_alive = s->max_keep_alive + 1;
    do {
        if (s->keep_alive > 0 && s->max_keep_alive > 0)
            s->keep_alive--;
        if (soap_begin_serve(s)) {
            // A POST whose body is not a SOAP envelope is left by the runtime to an HTTP handler; this
            // service has none, so it is a bad request.
            if (s->error == SOAP_POST)
                s->error = kBadRequest;
            else if (s->error >= SOAP_STOP)
                continue;
            // SOAP_EOF: the client closed the connection, or sent nothing (more) before the time-out.
            if (s->error != SOAP_EOF)
                soap_send_fault(s);
            return;
        }
        if ((m_config.dispatch(s) || (s->fserveloop && s->fserveloop(s))) && s->error &&
            s->error < SOAP_STOP) {
            soap_send_fault(s);
            return;
        }
        soap_destroy(s);
        soap_end(s);
    } while (s->keep_alive && !m_stop);
}

} // namespace qdv
