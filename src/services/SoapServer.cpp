#include "services/SoapServer.h"

#include <stdsoap2.h>

#include <cerrno>
#include <cstring>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qdv {
namespace {

constexpr int kBacklog = 100;
constexpr int kTickMs = 100;                                  // how often the event loop looks at the clocks
constexpr auto kDrain = std::chrono::seconds(2);              // reading what a closing client still sends
constexpr auto kAcceptPause = std::chrono::milliseconds(100); // after running out of descriptors
constexpr std::size_t kReadChunk = 65536;
constexpr int kBadRequest = 400;
constexpr int kFault = 500; // an answer of the loop's own as a SOAP fault

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

std::string AddressOf(const sockaddr_storage& addr) {
    char text[INET6_ADDRSTRLEN] = {};
    if (addr.ss_family == AF_INET)
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(&addr)->sin_addr, text, sizeof text);
    else if (addr.ss_family == AF_INET6)
        inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(&addr)->sin6_addr, text, sizeof text);
    return text;
}

const char* Reason(int status) {
    switch (status) {
    case 400:
        return "Bad Request";
    case 408:
        return "Request Timeout";
    case 411:
        return "Length Required";
    case 413:
        return "Payload Too Large";
    case 431:
        return "Request Header Fields Too Large";
    default:
        return "Internal Server Error";
    }
}

std::string XmlEscaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '&')
            out += "&amp;";
        else if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else
            out += c;
    }
    return out;
}

// An answer the event loop gives itself, without the runtime: an HTTP error status with the reason as
// text, or for 500 a SOAP fault of the client. The connection closes after it.
std::string ErrorAnswer(int status, const std::string& why) {
    std::string body;
    const char* type = "text/plain; charset=utf-8";
    if (status == kFault) {
        type = "text/xml; charset=utf-8";
        body = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SOAP-ENV:Envelope "
               "xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\"><SOAP-ENV:Body><SOAP-ENV:Fault>"
               "<faultcode>SOAP-ENV:Client</faultcode><faultstring>" +
               XmlEscaped(why) + "</faultstring></SOAP-ENV:Fault></SOAP-ENV:Body></SOAP-ENV:Envelope>\n";
    } else {
        body = why + "\r\n";
    }
    return "HTTP/1.1 " + std::to_string(status) + " " + Reason(status) + "\r\nContent-Type: " + type +
           "\r\nContent-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

// The request a worker's runtime reads and the answer it writes: the runtime does no I/O of its own.
struct Io {
    std::string_view in;
    std::string out;
};
thread_local Io* t_io = nullptr;

size_t RecvFromRequest(soap*, char* buf, size_t len) {
    const size_t n = std::min(len, t_io->in.size());
    std::memcpy(buf, t_io->in.data(), n);
    t_io->in.remove_prefix(n);
    return n;
}

int SendToAnswer(soap*, const char* data, size_t len) {
    t_io->out.append(data, len);
    return SOAP_OK;
}

int NoClose(soap*) {
    return SOAP_OK;
}

int NoCloseSocket(soap*, SOAP_SOCKET) {
    return SOAP_OK;
}

int NoShutdown(soap*, SOAP_SOCKET, int) {
    return SOAP_OK;
}

} // namespace

struct SoapServer::Connection {
    enum class State { kReading, kServing, kWriting, kDraining };
    int fd = -1;
    std::string address;
    RequestFramer framer;
    std::string in; // from the start of the request being read
    std::string out;
    std::size_t written = 0;
    State state = State::kReading;
    bool closeAfterWrite = false;
    bool peerDone = false; // the client sent its last byte
    bool watched = false;
    std::uint32_t events = 0;
    Clock::time_point lastIn;       // bytes received, or the last answer written
    Clock::time_point requestStart; // the first byte of the request being read
    Clock::time_point since;        // of writing or draining

    explicit Connection(const RequestFramer::Limits& limits) : framer(limits) {}
};

SoapServer::SoapServer(Config config, Log log) : m_config(std::move(config)), m_log(std::move(log)) {}

SoapServer::~SoapServer() {
    Stop();
}

bool SoapServer::Start() {
    if (m_master)
        return true;
    soap* master = soap_new1(SOAP_XML_STRICT);
    if (!master) {
        m_log(QStringLiteral("bind err"));
        return false;
    }
    master->bind_flags = SO_REUSEADDR;
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
    m_epoll = epoll_create1(EPOLL_CLOEXEC);
    m_wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    const int listenFlags = fcntl(master->master, F_GETFL);
    if (m_epoll < 0 || m_wakeFd < 0 || listenFlags < 0 ||
        fcntl(master->master, F_SETFL, listenFlags | O_NONBLOCK) != 0) {
        m_log(QStringLiteral("bind err"));
        m_log(QStringLiteral("%1: %2").arg(QLatin1String(m_config.name),
                                           QString::fromLocal8Bit(strerror(errno))));
        if (m_epoll >= 0)
            ::close(m_epoll);
        if (m_wakeFd >= 0)
            ::close(m_wakeFd);
        m_epoll = m_wakeFd = -1;
        soap_free(master);
        return false;
    }
    for (const int fd : {static_cast<int>(master->master), m_wakeFd}) {
        epoll_event ev{};
        ev.events = EPOLLIN;
        ev.data.fd = fd;
        epoll_ctl(m_epoll, EPOLL_CTL_ADD, fd, &ev);
    }
    m_master = master;
    m_stop = false;
    for (int i = 0; i < m_config.workers; ++i)
        m_workers.emplace_back(&SoapServer::WorkerLoop, this);
    m_loopThread = std::thread(&SoapServer::EventLoop, this);
    return true;
}

void SoapServer::Stop() {
    if (!m_master)
        return;
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    for (std::thread& t : m_workers)
        t.join();
    m_workers.clear();
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(m_wakeFd, &one, sizeof one);
    m_loopThread.join();
    m_jobs.clear();
    m_answers.clear();
    ::close(m_epoll);
    ::close(m_wakeFd);
    m_epoll = m_wakeFd = -1;
    soap_destroy(m_master);
    soap_end(m_master);
    soap_free(m_master); // closes the listening socket
    m_master = nullptr;
}

void SoapServer::EventLoop() {
    epoll_event events[64];
    Clock::time_point lastCheck = Clock::now();
    Clock::time_point acceptPausedUntil{};
    bool acceptPaused = false;
    const int listenFd = m_master->master;
    while (!m_stop) {
        const int n = epoll_wait(m_epoll, events, 64, kTickMs);
        for (int i = 0; i < n && !m_stop; ++i) {
            const int fd = events[i].data.fd;
            if (fd == listenFd) {
                if (!Accept()) {
                    // Out of descriptors: stop looking at the backlog for a moment rather than spin.
                    epoll_ctl(m_epoll, EPOLL_CTL_DEL, listenFd, nullptr);
                    acceptPaused = true;
                    acceptPausedUntil = Clock::now() + kAcceptPause;
                }
                continue;
            }
            if (fd == m_wakeFd) {
                std::uint64_t count = 0;
                [[maybe_unused]] const ssize_t r = ::read(m_wakeFd, &count, sizeof count);
                TakeAnswers();
                continue;
            }
            const auto it = m_connections.find(fd);
            if (it == m_connections.end())
                continue;
            Connection& c = *it->second;
            if (c.state == Connection::State::kWriting)
                Write(c);
            else if (c.state == Connection::State::kReading || c.state == Connection::State::kDraining)
                Read(c);
        }
        const Clock::time_point now = Clock::now();
        if (acceptPaused && now >= acceptPausedUntil) {
            epoll_event ev{};
            ev.events = EPOLLIN;
            ev.data.fd = listenFd;
            epoll_ctl(m_epoll, EPOLL_CTL_ADD, listenFd, &ev);
            acceptPaused = false;
        }
        if (now - lastCheck >= std::chrono::milliseconds(kTickMs)) {
            lastCheck = now;
            CheckTimes();
        }
    }
    while (!m_connections.empty())
        Close(m_connections.begin()->first);
}

bool SoapServer::Accept() {
    for (;;) {
        sockaddr_storage addr{};
        socklen_t len = sizeof addr;
        const int fd =
            accept4(m_master->master, reinterpret_cast<sockaddr*>(&addr), &len, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            return !(errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM);
        std::string address = AddressOf(addr);
        int& count = m_perAddress[address];
        if (count >= m_config.maxConnectionsPerAddress ||
            static_cast<int>(m_connections.size()) >= m_config.maxConnections) {
            // Refused at once: one client cannot take the places of all the others.
            if (count == 0)
                m_perAddress.erase(address);
            ::close(fd);
            continue;
        }
        ++count;
        const int one = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        auto c = std::make_unique<Connection>(m_config.limits);
        c->fd = fd;
        c->address = std::move(address);
        c->lastIn = Clock::now();
        Watch(*c);
        m_connections.emplace(fd, std::move(c));
    }
}

void SoapServer::Watch(Connection& c) {
    std::uint32_t wanted = 0;
    if (c.state == Connection::State::kReading || c.state == Connection::State::kDraining)
        wanted = EPOLLIN;
    else if (c.state == Connection::State::kWriting)
        wanted = EPOLLOUT;
    if (c.watched && wanted == c.events)
        return;
    if (wanted == 0) {
        // Not even hang-ups are wanted while a worker answers: they would be reported over and over.
        if (c.watched)
            epoll_ctl(m_epoll, EPOLL_CTL_DEL, c.fd, nullptr);
        c.watched = false;
        c.events = 0;
        return;
    }
    epoll_event ev{};
    ev.events = wanted;
    ev.data.fd = c.fd;
    epoll_ctl(m_epoll, c.watched ? EPOLL_CTL_MOD : EPOLL_CTL_ADD, c.fd, &ev);
    c.watched = true;
    c.events = wanted;
}

void SoapServer::Close(int fd) {
    const auto it = m_connections.find(fd);
    if (it == m_connections.end())
        return;
    Connection& c = *it->second;
    if (c.watched)
        epoll_ctl(m_epoll, EPOLL_CTL_DEL, fd, nullptr);
    ::close(fd);
    if (const auto a = m_perAddress.find(c.address); a != m_perAddress.end() && --a->second <= 0)
        m_perAddress.erase(a);
    m_connections.erase(it);
}

void SoapServer::Read(Connection& c) {
    char buffer[kReadChunk];
    bool ended = false;
    for (int round = 0; round < 4; ++round) {
        const ssize_t n = ::recv(c.fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n > 0) {
            const Clock::time_point now = Clock::now();
            if (c.state == Connection::State::kDraining)
                continue; // what a closing client still sends is read and dropped
            if (c.in.empty())
                c.requestStart = now;
            c.lastIn = now;
            c.in.append(buffer, static_cast<std::size_t>(n));
            if (static_cast<std::size_t>(n) < sizeof buffer)
                break;
        } else if (n == 0) {
            ended = true;
            break;
        } else if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
            break;
        } else {
            Close(c.fd);
            return;
        }
    }
    if (c.state == Connection::State::kDraining) {
        if (ended)
            Close(c.fd);
        return;
    }
    c.peerDone = ended;
    const int fd = c.fd;
    Frame(c);
    // A client that has said all it will say and whose request is incomplete gets no answer.
    const auto it = m_connections.find(fd);
    if (ended && it != m_connections.end() && it->second->state == Connection::State::kReading)
        Close(fd);
}

void SoapServer::Frame(Connection& c) {
    if (c.state != Connection::State::kReading || c.in.empty())
        return;
    const RequestFramer::Result r = c.framer.Feed(c.in);
    if (r.sendContinue) {
        static constexpr char kContinue[] = "HTTP/1.1 100 Continue\r\n\r\n";
        [[maybe_unused]] const ssize_t n =
            ::send(c.fd, kContinue, sizeof kContinue - 1, MSG_NOSIGNAL | MSG_DONTWAIT);
    }
    switch (r.status) {
    case RequestFramer::Status::kIncomplete:
        return;
    case RequestFramer::Status::kRefused:
        StartWriting(c, ErrorAnswer(r.httpStatus, r.why), true);
        return;
    case RequestFramer::Status::kComplete:
        break;
    }
    Job job{c.fd, c.in.substr(0, r.length), r.keepAlive && !c.peerDone};
    c.in.erase(0, r.length);
    c.framer.Reset();
    c.state = Connection::State::kServing;
    Watch(c);
    {
        const std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(job));
    }
    m_wake.notify_one();
}

void SoapServer::StartWriting(Connection& c, std::string bytes, bool close) {
    c.out = std::move(bytes);
    c.written = 0;
    c.closeAfterWrite = close;
    c.state = Connection::State::kWriting;
    c.since = Clock::now();
    Write(c);
}

void SoapServer::Write(Connection& c) {
    while (c.written < c.out.size()) {
        const ssize_t n =
            ::send(c.fd, c.out.data() + c.written, c.out.size() - c.written, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            c.written += static_cast<std::size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
            Watch(c);
            return;
        } else {
            Close(c.fd);
            return;
        }
    }
    c.out.clear();
    if (c.closeAfterWrite || c.peerDone) {
        // The answer is out; what the client may still send is read and dropped for a moment, so that
        // closing with unread bytes does not reset the connection before the client has the answer.
        ::shutdown(c.fd, SHUT_WR);
        c.state = Connection::State::kDraining;
        c.since = Clock::now();
        Watch(c);
        return;
    }
    c.state = Connection::State::kReading;
    c.lastIn = Clock::now();
    if (!c.in.empty())
        c.requestStart = c.lastIn; // the next request came with the last one
    Watch(c);
    Frame(c);
}

void SoapServer::CheckTimes() {
    const Clock::time_point now = Clock::now();
    const auto seconds = [](int s) { return std::chrono::seconds(s); };
    std::vector<int> close;
    std::vector<int> late;
    for (const auto& [fd, c] : m_connections) {
        switch (c->state) {
        case Connection::State::kReading: {
            if (c->in.empty()) {
                if (now - c->lastIn > seconds(m_config.recvTimeoutSeconds))
                    close.push_back(fd); // idle between requests
                break;
            }
            const auto taken = now - c->requestStart;
            const double secondsTaken = std::chrono::duration<double>(taken).count();
            if (now - c->lastIn > seconds(m_config.recvTimeoutSeconds) ||
                taken > seconds(m_config.transferTimeoutSeconds) ||
                (taken > seconds(m_config.rateGraceSeconds) &&
                 static_cast<double>(c->in.size()) < m_config.minBytesPerSecond * secondsTaken))
                late.push_back(fd);
            break;
        }
        case Connection::State::kWriting:
            if (now - c->since > seconds(m_config.sendTimeoutSeconds))
                close.push_back(fd);
            break;
        case Connection::State::kDraining:
            if (now - c->since > kDrain)
                close.push_back(fd);
            break;
        case Connection::State::kServing:
            break;
        }
    }
    for (const int fd : close)
        Close(fd);
    for (const int fd : late) {
        if (const auto it = m_connections.find(fd); it != m_connections.end())
            StartWriting(*it->second, ErrorAnswer(408, "The request did not arrive in time."), true);
    }
}

void SoapServer::TakeAnswers() {
    std::deque<Answer> answers;
    {
        const std::lock_guard lock(m_mutex);
        answers.swap(m_answers);
    }
    for (Answer& a : answers) {
        const auto it = m_connections.find(a.fd);
        if (it != m_connections.end() && it->second->state == Connection::State::kServing)
            StartWriting(*it->second, std::move(a.bytes), a.close);
    }
}

void SoapServer::WorkerLoop() {
    RequestContext context(m_config.namespaces, m_config.user, m_config.limits);
    for (;;) {
        Job job;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [&] { return m_stop || !m_jobs.empty(); });
            if (m_stop)
                break;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        Answer answer;
        answer.fd = job.fd;
        if (context.Valid()) {
            answer.bytes = context.Serve(m_config.dispatch, job.request, job.keepAlive, &answer.close);
        } else {
            answer.bytes = ErrorAnswer(kFault, "The service has no memory left.");
            answer.close = true;
        }
        {
            const std::lock_guard lock(m_mutex);
            m_answers.push_back(std::move(answer));
        }
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(m_wakeFd, &one, sizeof one);
    }
}

SoapServer::RequestContext::RequestContext(const Namespace* table, void* user,
                                           const RequestFramer::Limits& limits) {
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, m_peer) != 0)
        return;
    // Strings are UTF-8 both ways: the operations convert them to and from the controller's characters.
    soap* s = soap_new1(SOAP_XML_STRICT | SOAP_IO_KEEPALIVE | SOAP_C_UTFSTRING);
    if (!s)
        return;
    soap_set_namespaces(s, table);
    s->user = user;
    s->maxlevel = static_cast<unsigned>(limits.maxDepth);
    s->maxoccurs = static_cast<size_t>(limits.maxElements);
    s->recv_maxlength = limits.maxHeaderBytes + limits.maxBodyBytes;
    s->frecv = RecvFromRequest;
    s->fsend = SendToAnswer;
    s->fclose = NoClose;
    s->fclosesocket = NoCloseSocket;
    s->fshutdownsocket = NoShutdown;
    m_soap = s;
}

SoapServer::RequestContext::~RequestContext() {
    if (m_soap) {
        m_soap->socket = SOAP_INVALID_SOCKET;
        soap_destroy(m_soap);
        soap_end(m_soap);
        soap_free(m_soap);
    }
    for (const int fd : m_peer) {
        if (fd >= 0)
            ::close(fd);
    }
}

// The generated soap_serve for one request, with two changes: a request whose envelope cannot be read
// (not XML, an HTTP method other than POST) is answered with a fault or HTTP error instead of a closed
// connection, so that the client learns why; and the connection stays open only when the client asked.
std::string SoapServer::RequestContext::Serve(int (*dispatch)(soap*), std::string_view request,
                                              bool keepAlive, bool* close) {
    soap* s = m_soap;
    Io io{request, {}};
    t_io = &io;
    s->socket = m_peer[0]; // the hooks above do all the reading and writing

    s->keep_alive = 1;
    bool failed = false;
    if (soap_begin_serve(s)) {
        failed = true;
        // A POST whose body is not a SOAP envelope is left by the runtime to an HTTP handler; this
        // service has none, so it is a bad request.
        if (s->error == SOAP_POST)
            s->error = kBadRequest;
        s->keep_alive = 0;
        if (s->error < SOAP_STOP)
            soap_send_fault(s);
    } else {
        s->keep_alive = keepAlive ? 1 : 0;
        if ((dispatch(s) || (s->fserveloop && s->fserveloop(s))) && s->error && s->error < SOAP_STOP)
            soap_send_fault(s);
    }
    *close = failed || !keepAlive || s->keep_alive == 0;
    soap_destroy(s);
    soap_end(s);
    s->socket = SOAP_INVALID_SOCKET;
    t_io = nullptr;
    // The runtime answers nothing when the request ends early; the whole request is here, so it is the
    // client's envelope that is cut short.
    if (io.out.empty()) {
        io.out = ErrorAnswer(kFault, "The request ends before its XML does.");
        *close = true;
    }
    return std::move(io.out);
}

} // namespace qdv
