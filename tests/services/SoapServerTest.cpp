#include "services/SoapServer.h"
#include "services/ConfigOperations.h"
#include "services/RequestFramer.h"
#include "services/ServiceBindings.h"
#include "support/TestFolder.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using namespace qdv;

namespace {

const std::string kNs = "http://switcher.example/pro/switcher/primarystation/configurationservice";

std::string Envelope(const std::string& body) {
    return "<?xml version=\"1.0\"?><s:Envelope "
           "xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\"><s:Body>" +
           body + "</s:Body></s:Envelope>";
}

const std::string kProductInfo = Envelope("<GetProductInfoReq xmlns=\"" + kNs + "\"/>");

std::string Post(const std::string& body, const std::string& headers = "") {
    return "POST / HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: text/xml\r\n" + headers +
           "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

// A hostile or plain client on a loopback address of its choice (each 127.x.y.z is another client
// address to the server).
class Client {
public:
    Client(int port, const char* from = "127.0.0.1") {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        inet_pton(AF_INET, from, &a.sin_addr);
        ::bind(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        a.sin_port = htons(static_cast<std::uint16_t>(port));
        inet_pton(AF_INET, "127.0.0.1", &a.sin_addr);
        m_connected = ::connect(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    }
    ~Client() { ::close(m_fd); }
    bool Connected() const { return m_connected; }
    void Send(const std::string& bytes) { ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL); }
    // One HTTP answer, by its Content-Length; empty when none came within `seconds`.
    std::string ReadAnswer(int seconds = 30) {
        std::string answer;
        Receive(seconds, [&] {
            const std::size_t head = m_buffer.find("\r\n\r\n");
            const std::size_t at = m_buffer.find("Content-Length: ");
            if (head == std::string::npos)
                return false;
            const std::size_t size = head + 4 + (at < head ? std::stoul(m_buffer.substr(at + 16)) : 0);
            if (m_buffer.size() < size)
                return false;
            answer = m_buffer.substr(0, size);
            m_buffer.erase(0, size);
            return true;
        });
        return answer;
    }
    // Everything until the server closes the connection, or until `seconds` pass.
    std::string ReadToEnd(int seconds = 30) {
        Receive(seconds, [] { return false; });
        return std::exchange(m_buffer, {});
    }
    // Whether the server closes the connection within `seconds`.
    bool Closed(int seconds = 30) {
        ReadToEnd(seconds);
        return m_closed;
    }

private:
    int m_fd = -1;
    bool m_connected = false;
    bool m_closed = false;
    std::string m_buffer;

    // Reads until `done` says so, the server closes, or `seconds` pass.
    template <typename Done> void Receive(int seconds, Done done) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (!done() && !m_closed && std::chrono::steady_clock::now() < end) {
            pollfd p{m_fd, POLLIN, 0};
            char buf[4096];
            if (::poll(&p, 1, 100) <= 0)
                continue;
            const ssize_t n = ::recv(m_fd, buf, sizeof buf, 0);
            if (n <= 0)
                m_closed = true;
            else
                m_buffer.append(buf, static_cast<std::size_t>(n));
        }
    }
};

// The configuration service on a loopback port, on an empty backup folder.
struct Service {
    test::TestFolder folder;
    ImageStore images{[](const QString&) {}};
    ConfigOperations operations{images, [this] { return folder.Path(); }};
    ServiceContext context{&operations, 0};
    std::unique_ptr<SoapServer> server;

    explicit Service(const std::function<void(SoapServer::Config&)>& adjust = {}) {
        SoapServer::Config c;
        c.name = "primarystation";
        c.namespaces = kPrimaryStationNamespaces;
        c.dispatch = DispatchPrimaryStation;
        c.user = &context;
        c.bindAddress = QStringLiteral("127.0.0.1");
        // Nothing times out by itself unless a test says so.
        c.recvTimeoutSeconds = c.sendTimeoutSeconds = c.transferTimeoutSeconds = 3600;
        c.minBytesPerSecond = 0;
        if (adjust)
            adjust(c);
        server = std::make_unique<SoapServer>(c, [](const QString&) {});
        EXPECT_TRUE(server->Start());
    }
    int Port() const { return server->Port(); }
};

// A worker that waits for a keep-alive client's next request must not hold up Stop.
TEST(SoapServer, stopEndsAConnectionWaitingForItsNextRequest) {
    Service service;
    Client client(service.Port());
    client.Send(Post(kProductInfo, "Connection: keep-alive\r\n"));
    const std::string answer = client.ReadAnswer();
    ASSERT_NE(answer.find("ProductName"), std::string::npos) << answer;
    ASSERT_NE(answer.find("keep-alive"), std::string::npos) << answer;
    service.server->Stop();
    EXPECT_FALSE(service.server->Running());
    EXPECT_TRUE(client.Closed());
}

// Connections that send nothing, or their request a byte at a time, hold no worker: with far more of
// them than workers, and time-outs of an hour, a plain request is still answered.
TEST(SoapServer, idleAndDrippingClientsDoNotLockOutTheOthers) {
    Service service;
    std::vector<std::unique_ptr<Client>> hostile;
    for (int i = 0; i < 64; ++i) {
        const std::string from = "127.0.1." + std::to_string(1 + i / 8);
        hostile.push_back(std::make_unique<Client>(service.Port(), from.c_str()));
        ASSERT_TRUE(hostile.back()->Connected());
        if (i % 2)
            hostile.back()->Send("POST / HTTP/1.1\r\nContent-Length: 500\r\n\r\n<");
    }
    for (int round = 0; round < 3; ++round) {
        Client client(service.Port());
        client.Send(Post(kProductInfo));
        EXPECT_NE(client.ReadAnswer().find("ProductName"), std::string::npos) << round;
    }
}

// One address may hold only so many connections; further ones are closed at once, and other
// addresses are served all the same.
TEST(SoapServer, connectionsPerAddressAreLimited) {
    Service service([](SoapServer::Config& c) { c.maxConnectionsPerAddress = 4; });
    std::vector<std::unique_ptr<Client>> held;
    for (int i = 0; i < 4; ++i)
        held.push_back(std::make_unique<Client>(service.Port(), "127.0.2.1"));
    held[3]->Send(Post(kProductInfo)); // the fourth is being served, hence accepted
    ASSERT_NE(held[3]->ReadAnswer().find("ProductName"), std::string::npos);
    Client fifth(service.Port(), "127.0.2.1");
    EXPECT_TRUE(fifth.Closed());
    Client other(service.Port(), "127.0.2.2");
    other.Send(Post(kProductInfo));
    EXPECT_NE(other.ReadAnswer().find("ProductName"), std::string::npos);
}

// A request that arrives slower than the minimum rate, or not at all after its start, is answered with
// 408 and the connection closed; one idle between requests is closed.
TEST(SoapServer, slowAndIdleConnectionsAreDropped) {
    Service service([](SoapServer::Config& c) {
        c.minBytesPerSecond = 1000;
        c.rateGraceSeconds = 1;
        c.recvTimeoutSeconds = 2;
    });
    Client dripping(service.Port());
    Client idle(service.Port());
    dripping.Send("POST / HTTP/1.1\r\n");
    const std::string answer = dripping.ReadToEnd();
    EXPECT_EQ(answer.rfind("HTTP/1.1 408", 0), 0u) << answer;
    EXPECT_TRUE(idle.Closed());
}

// How long a connection stays open is the client's choice, and every request gets an answer.
TEST(SoapServer, connectionsCloseAfterTheAnswerUnlessTheClientAskedToKeepThem) {
    struct Case {
        const char* what;
        std::string request;
        const char* status; // of the answer
        bool staysOpen;
    };
    const Case cases[] = {
        {"bare envelope, as network controllers' clients send it", kProductInfo, "HTTP/1.1 200", false},
        {"HTTP/1.1", Post(kProductInfo), "HTTP/1.1 200", true},
        {"HTTP/1.1, close", Post(kProductInfo, "Connection: close\r\n"), "HTTP/1.1 200", false},
        {"HTTP/1.0",
         "POST / HTTP/1.0\r\nContent-Length: " + std::to_string(kProductInfo.size()) + "\r\n\r\n" +
             kProductInfo,
         "HTTP/1.1 200", false},
        {"malformed, close", Post("<not-soap>", "Connection: close\r\n"), "HTTP/1.1 4", false},
        {"malformed envelope, close", Post(Envelope("<GetProductInfoReq"), "Connection: close\r\n"),
         "HTTP/1.1 ", false},
        {"not HTTP", "HELLO\r\n\r\n", "HTTP/1.1 400", false},
        // Exactly Content-Length bytes are the request: the envelope is cut short, what follows is no body.
        {"cut by its length",
         "POST / HTTP/1.1\r\nContent-Length: " + std::to_string(kProductInfo.size() - 10) + "\r\n\r\n" +
             kProductInfo,
         "HTTP/1.1 500", false},
    };
    Service service;
    for (const Case& c : cases) {
        Client client(service.Port());
        client.Send(c.request);
        const std::string answer = client.ReadAnswer();
        EXPECT_EQ(answer.rfind(c.status, 0), 0u) << c.what << "\n" << answer;
        EXPECT_EQ(client.Closed(c.staysOpen ? 1 : 30), !c.staysOpen) << c.what;
    }
}

TEST(RequestFramer, findsTheEndOfEachRequestAndRefusesWhatNoOperationNeeds) {
    struct Case {
        const char* what;
        std::string data;
        RequestFramer::Status status;
        std::size_t length; // kComplete
        bool keepAlive;
        int httpStatus; // kRefused
    };
    using S = RequestFramer::Status;
    const std::string head = "POST / HTTP/1.1\r\nContent-Length: 5\r\n\r\n";
    std::string deep;
    for (int i = 0; i < 33; ++i)
        deep += "<a>";
    std::string manyAttributes = "<a";
    for (int i = 0; i < 33; ++i)
        manyAttributes += " x" + std::to_string(i) + "='1'";
    manyAttributes += "/>";
    std::string manyElements = "<a>";
    for (int i = 0; i < 16384; ++i)
        manyElements += "<b/>";
    const Case cases[] = {
        {"exactly Content-Length", head + "helloEXTRA", S::kComplete, head.size() + 5, true, 0},
        {"HTTP/1.0", "POST / HTTP/1.0\r\nContent-Length: 0\r\n\r\n", S::kComplete, 38, false, 0},
        {"HTTP/1.0 keep-alive", "POST / HTTP/1.0\r\nConnection: Keep-Alive\r\nContent-Length: 0\r\n\r\n",
         S::kComplete, 62, true, 0},
        {"HTTP/1.1 close", "POST / HTTP/1.1\r\nConnection: close\r\nContent-Length: 0\r\n\r\n", S::kComplete,
         57, false, 0},
        {"body still coming", head + "hel", S::kIncomplete, 0, false, 0},
        {"bare envelope ends with its root",
         "<?xml version='1.0'?>\n<a x='>'><!-- </a> --><![CDATA[</a>]]><a/></a>next", S::kComplete, 68, false,
         0},
        {"bare envelope still coming", "<a><b>", S::kIncomplete, 0, false, 0},
        {"bare text", "  not xml", S::kRefused, 0, false, 400},
        {"not HTTP", "HELLO\r\n\r\n", S::kRefused, 0, false, 400},
        {"chunked", "POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n", S::kRefused, 0, false, 411},
        {"no length", "POST / HTTP/1.1\r\n\r\n", S::kRefused, 0, false, 411},
        {"two lengths", "POST / HTTP/1.1\r\nContent-Length: 1\r\nContent-Length: 2\r\n\r\n", S::kRefused, 0,
         false, 400},
        {"too long", "POST / HTTP/1.1\r\nContent-Length: 1048577\r\n\r\n", S::kRefused, 0, false, 413},
        {"header too long", "POST / HTTP/1.1\r\nX: " + std::string(16384, 'x'), S::kRefused, 0, false, 431},
        {"too deep", deep, S::kRefused, 0, false, 500},
        {"too many attributes", manyAttributes, S::kRefused, 0, false, 500},
        {"too many elements", manyElements, S::kRefused, 0, false, 500},
    };
    for (const Case& c : cases) {
        RequestFramer framer(RequestFramer::Limits{});
        const RequestFramer::Result r = framer.Feed(c.data);
        EXPECT_EQ(r.status, c.status) << c.what << ": " << r.why;
        if (c.status == S::kComplete) {
            EXPECT_EQ(r.length, c.length) << c.what;
            EXPECT_EQ(r.keepAlive, c.keepAlive) << c.what;
        }
        if (c.status == S::kRefused) {
            EXPECT_EQ(r.httpStatus, c.httpStatus) << c.what;
        }

        // The same bytes one at a time end at the same place.
        RequestFramer bytewise(RequestFramer::Limits{});
        RequestFramer::Result last;
        for (std::size_t n = 1; n <= c.data.size() && last.status == S::kIncomplete; ++n)
            last = bytewise.Feed(std::string_view(c.data).substr(0, n));
        EXPECT_EQ(last.status, c.status) << c.what << " (byte by byte)";
        if (c.status == S::kComplete) {
            EXPECT_EQ(last.length, c.length) << c.what << " (byte by byte)";
        }
    }
}

} // namespace
