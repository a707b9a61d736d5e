#pragma once

#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

struct soap;
struct Namespace;

namespace qdv {

// One hosted SOAP service on its TCP port: an accept thread hands each connection to one of a few
// worker threads, which serve its requests (HTTP keep-alive) with the service's generated dispatch. A
// client that connects and sends nothing, or half a request, holds one worker until the receive time-out
// and never the others; an oversized request is refused. Malformed requests get a SOAP Fault, a body
// that is not a SOAP envelope an HTTP error answer.
class SoapServer {
public:
    struct Config {
        const char* name = ""; // service name for the log
        const Namespace* namespaces = nullptr;
        int (*dispatch)(struct soap*) = nullptr; // the generated soap_serve_request of the service
        void* user = nullptr;                    // handed to the operations as soap->user
        QString bindAddress;                     // empty: any address
        int port = 0;                            // 0: a free port chosen by the system
        int workers = 4;
        int recvTimeoutSeconds = 10;
        int sendTimeoutSeconds = 10;
        int transferTimeoutSeconds = 30; // a whole request or answer, however slowly it trickles
        std::uint64_t maxRequestBytes = 1 << 20;
    };
    using Log = std::function<void(const QString&)>;

    SoapServer(Config config, Log log);
    ~SoapServer();

    SoapServer(const SoapServer&) = delete;
    SoapServer& operator=(const SoapServer&) = delete;

    // Binds and starts serving. A port that cannot be bound logs "bind err" and answers false.
    bool Start();
    // Stops accepting, ends the connections being served and returns when every thread has ended.
    void Stop();
    bool Running() const { return m_master != nullptr; }
    // The port actually bound (useful with port 0).
    int Port() const { return m_port; }

private:
    void AcceptLoop();
    void WorkerLoop();
    void ServeConnection(struct soap* s);

    Config m_config;
    Log m_log;
    struct soap* m_master = nullptr;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::condition_variable m_wake;
    // An accepted connection and a duplicate of its socket that only this class uses and closes, so that
    // Stop can shut the connection down without touching the runtime's context, which its worker owns.
    struct Connection {
        struct soap* context = nullptr;
        int stopHandle = -1;
    };
    std::deque<Connection> m_pending;      // accepted connections waiting for a worker
    std::map<struct soap*, int> m_serving; // connections being served and their stop handles
    int m_idle = 0;                        // workers waiting for a connection
    std::thread m_acceptThread;
    std::vector<std::thread> m_workers;
};

} // namespace qdv
