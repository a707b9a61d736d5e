// qdv70servicebench: requests per second of the hosted SOAP services, in process on loopback ports the
// system chooses, for a read (GetTypeName), a write (SetTypeName, which replaces ZEBU_STD.DAU each time)
// and a write of two files (SetSrcTerm with a label and a description: ZEBU_STD.DAU and ZEBU_NME.DAU)
// with 1, 4 and 8 concurrent clients on keep-alive HTTP connections, each also with 64 hostile
// connections open beside the clients (half of them idle, half sending a request a byte a second, each
// reconnecting when the service drops it; eight to a client address).
// Usage: qdv70servicebench [seconds per row]

#include "services/HostedServices.h"
#include "store/DataImage.h"
#include "store/StandardSettingsLayout.h"
#include "store/TmFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace qdv;

namespace {

const char kNs[] = "http://switcher.example/pro/switcher/primarystation/configurationservice";

std::string Envelope(const std::string& body) {
    return "<?xml version=\"1.0\"?><s:Envelope "
           "xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\"><s:Body>" +
           body + "</s:Body></s:Envelope>";
}

// One keep-alive HTTP connection that posts an envelope and reads the answer by its length.
class Client {
public:
    explicit Client(int port) : m_port(port) {}
    ~Client() { Close(); }

    // True when the answer is a 200 containing `expect`.
    bool Post(const std::string& body, const char* expect) {
        for (int attempt = 0; attempt < 2; ++attempt) {
            if (m_fd < 0 && !Connect())
                return false;
            const std::string request = "POST / HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: text/xml; "
                                        "charset=utf-8\r\nContent-Length: " +
                                        std::to_string(body.size()) + "\r\n\r\n" + body;
            std::string answer;
            bool closeAfter = false;
            if (Send(request) && Receive(answer, closeAfter)) {
                if (closeAfter)
                    Close();
                return answer.compare(0, 12, "HTTP/1.1 200") == 0 && answer.find(expect) != std::string::npos;
            }
            Close(); // the server ended the keep-alive session: reconnect once
        }
        return false;
    }

private:
    bool Connect() {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<std::uint16_t>(m_port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const int one = 1;
        setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        if (::connect(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
            Close();
            return false;
        }
        return true;
    }
    void Close() {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }
    bool Send(const std::string& data) {
        std::size_t done = 0;
        while (done < data.size()) {
            const ssize_t n = ::send(m_fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
            if (n <= 0)
                return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    }
    bool Receive(std::string& answer, bool& closeAfter) {
        char buf[16384];
        std::size_t headerEnd = std::string::npos;
        std::size_t length = 0;
        for (;;) {
            if (headerEnd == std::string::npos) {
                headerEnd = answer.find("\r\n\r\n");
                if (headerEnd != std::string::npos) {
                    std::string head = answer.substr(0, headerEnd);
                    for (char& c : head)
                        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
                    const std::size_t at = head.find("content-length:");
                    if (at == std::string::npos)
                        return false; // this client reads answers by their length only
                    length = std::strtoul(head.c_str() + at + 15, nullptr, 10);
                    closeAfter = head.find("connection: close") != std::string::npos;
                }
            }
            if (headerEnd != std::string::npos && answer.size() >= headerEnd + 4 + length)
                return true;
            const ssize_t n = ::recv(m_fd, buf, sizeof buf, 0);
            if (n <= 0)
                return false;
            answer.append(buf, static_cast<std::size_t>(n));
        }
    }

    int m_port;
    int m_fd = -1;
};

// Connections that hold a place at the service without ever completing a request.
class Idlers {
public:
    Idlers(int port, int count) : m_port(port), m_fds(static_cast<std::size_t>(count), -1) {
        m_thread = std::thread([this] { Run(); });
    }
    ~Idlers() {
        m_stop = true;
        m_thread.join();
        for (const int fd : m_fds)
            if (fd >= 0)
                ::close(fd);
    }

private:
    int Open(std::size_t i) const {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(0x7F000500u + 1 + static_cast<std::uint32_t>(i / 8)); // 127.0.5.x
        ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        a.sin_port = htons(static_cast<std::uint16_t>(m_port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
            ::close(fd);
            return -1;
        }
        return fd;
    }
    void Run() {
        static const std::string kDrip = "POST / HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 400\r\n\r\n";
        for (long tick = 0; !m_stop; ++tick) {
            for (std::size_t i = 0; i < m_fds.size(); ++i) {
                int& fd = m_fds[i];
                if (fd >= 0) {
                    pollfd p{fd, POLLIN, 0};
                    char buf[512];
                    if (::poll(&p, 1, 0) > 0 && ::recv(fd, buf, sizeof buf, MSG_DONTWAIT) <= 0) {
                        ::close(fd); // dropped by the service: come back
                        fd = -1;
                    }
                }
                if (fd < 0)
                    fd = Open(i);
                if (fd >= 0 && i % 2 && tick % 10 == 0)
                    ::send(fd, &kDrip[static_cast<std::size_t>(tick / 10) % kDrip.size()], 1, MSG_NOSIGNAL);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }

    int m_port;
    std::vector<int> m_fds;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

struct Row {
    double perSecond;
    long failures;
};

// One operation of the benchmark: the request body of client c's n-th request, and a text its answer holds.
struct Operation {
    const char* label;
    std::function<std::string(int c, long n)> body;
    const char* expect;
};

std::string Request(const char* op, const std::string& content) {
    return Envelope("<" + std::string(op) + "Req xmlns=\"" + kNs + "\">" + content + "</" + op + "Req>");
}

const Operation kOperations[] = {
    {"GetTypeName (read)",
     [](int c, long) { return Request("GetTypeName", "<No>" + std::to_string(1 + c % 32) + "</No>"); },
     "TypeName"},
    {"SetTypeName (write-back)",
     [](int c, long n) {
         return Request("SetTypeName", "<TypeName><No>" + std::to_string(1 + c % 32) + "</No><Name>B" +
                                           std::to_string(n % 1000) + "</Name></TypeName>");
     },
     ">OK<"},
    {"SetSrcTerm (two files)",
     [](int c, long n) {
         return Request("SetSrcTerm", "<Terminal><No>" + std::to_string(c * 100) +
                                          "</No><Type>2</Type><Number>" + std::to_string(n % 1000) +
                                          "</Number><Name>SRC " + std::to_string(n) + "</Name></Terminal>");
     },
     ">OK<"},
};

Row Measure(int port, int clients, double seconds, const Operation& op) {
    std::atomic<bool> stop{false};
    std::atomic<long> done{0}, failed{0};
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&, c] {
            Client client(port);
            for (long n = 0; !stop; ++n)
                client.Post(op.body(c, n), op.expect) ? ++done : ++failed;
        });
    }
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    stop = true;
    for (std::thread& t : threads)
        t.join();
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return {static_cast<double>(done) / elapsed, failed};
}

} // namespace

int main(int argc, char* argv[]) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 3.0;
    QTemporaryDir dir;
    const QString home = dir.filePath(QStringLiteral("home")),
                  backup = dir.filePath(QStringLiteral("backup"));
    QDir().mkpath(home);
    QDir().mkpath(backup + QStringLiteral("/Primary"));
    QDir().mkpath(backup + QStringLiteral("/Name"));
    QFile list(home + QStringLiteral("/QDV70LIST.INI"));
    list.open(QIODevice::WriteOnly);
    list.write(
        QStringLiteral("[SETUP]\nREG=1\n[SELECT LIST]\nSETUP=0\n[SETUP_1]\nDIR=%1\n").arg(backup).toUtf8());
    list.close();
    QFile stdFile(backup + QStringLiteral("/Primary/ZEBU_STD.DAU"));
    stdFile.open(QIODevice::WriteOnly);
    stdFile.write(image::Encode(QByteArray(stdlayout::kImageSize, '\0')));
    stdFile.close();
    QFile names(backup + QStringLiteral("/Name/ZEBU_NME.DAU"));
    names.open(QIODevice::WriteOnly);
    names.write(image::Encode(QByteArray(35592, '\0')));
    names.close();

    TmFile files(home);
    ServiceSettings settings;
    settings.bindAddress = QStringLiteral("127.0.0.1");
    settings.deviceInfoPort = 0;
    settings.primaryStationPort = 0;
    HostedServices services(files, settings);
    if (services.Start() != 2) {
        std::fprintf(stderr, "qdv70servicebench: the services did not start\n");
        return 1;
    }
    const int port = services.PrimaryStationPort();
    Client loader(port);
    if (!loader.Post(Envelope("<GetProductInfoReq xmlns=\"" + std::string(kNs) + "\"/>"), "ProductName")) {
        std::fprintf(stderr, "qdv70servicebench: GetProductInfo failed\n");
        return 1;
    }

    std::printf("%-28s %8s %6s %12s %9s\n", "operation", "clients", "idle", "requests/s", "failures");
    for (const Operation& op : kOperations) {
        for (const int idle : {0, 64}) {
            for (const int clients : {1, 4, 8}) {
                const auto idlers = idle ? std::make_unique<Idlers>(port, idle) : nullptr;
                if (idlers)
                    std::this_thread::sleep_for(std::chrono::milliseconds(300)); // let them connect
                const Row r = Measure(port, clients, seconds, op);
                std::printf("%-28s %8d %6d %12.0f %9ld\n", op.label, clients, idle, r.perSecond, r.failures);
                std::fflush(stdout);
            }
        }
    }
    services.Stop();
    return 0;
}
