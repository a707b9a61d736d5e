#pragma once

#include "services/RequestFramer.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

struct soap;
struct Namespace;

namespace qdv {

// One hosted SOAP service on its TCP port. One thread accepts connections and reads requests without
// blocking (an event loop); a request is handed to one of a few worker threads only once it has fully
// arrived, and the worker answers it with the service's generated dispatch and leaves the writing of
// the answer to the event loop. So a client that connects and sends nothing, or sends a request a byte
// at a time, holds no worker: the others are served meanwhile. Each client address may hold only a few
// connections; a connection that stays idle, or sends its request slower than a minimum rate, is
// closed. Requests are framed exactly (an HTTP request by its Content-Length, a bare envelope by its
// root element) and refused when they are longer, or hold more elements, attributes or levels, than
// any operation needs. Every malformed request gets an answer (an HTTP error status or a SOAP Fault);
// the connection stays open after the answer only when the client asked for that.
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
        int recvTimeoutSeconds = 10;     // idle between requests, and silence within one
        int sendTimeoutSeconds = 10;     // an answer the client does not take
        int transferTimeoutSeconds = 30; // a whole request, however steadily it trickles
        int minBytesPerSecond = 256;     // a request slower than this on average is dropped ...
        int rateGraceSeconds = 2;        // ... once it has been arriving this long
        int maxConnectionsPerAddress = 16;
        int maxConnections = 512;
        RequestFramer::Limits limits;
    };
    using Log = std::function<void(const QString&)>;

    SoapServer(Config config, Log log);
    ~SoapServer();

    SoapServer(const SoapServer&) = delete;
    SoapServer& operator=(const SoapServer&) = delete;

    // Binds and starts serving. A port that cannot be bound logs "bind err" and answers false.
    bool Start();
    // Stops accepting, closes every connection and returns when every thread has ended; a request being
    // served is answered first (the operations do not wait on the network).
    void Stop();
    bool Running() const { return m_master != nullptr; }
    // The port actually bound (useful with port 0).
    int Port() const { return m_port; }

    // A runtime context as the workers use it: it reads a request from memory and writes its answer to
    // memory. The runtime answers only a peer it sees connected and alive; it is given one end of a
    // socket pair whose other end stays open and silent, and never reads or writes it.
    class RequestContext {
    public:
        RequestContext(const Namespace* table, void* user, const RequestFramer::Limits& limits);
        ~RequestContext();
        RequestContext(const RequestContext&) = delete;
        RequestContext& operator=(const RequestContext&) = delete;

        bool Valid() const { return m_soap != nullptr; }
        // Answers one complete request (as RequestFramer found it) with `dispatch`; `close` says whether
        // the connection ends after the answer.
        std::string Serve(int (*dispatch)(struct soap*), std::string_view request, bool keepAlive,
                          bool* close);

    private:
        struct soap* m_soap = nullptr;
        int m_peer[2] = {-1, -1};
    };

private:
    using Clock = std::chrono::steady_clock;
    struct Connection;
    struct Job {
        int fd = -1;
        std::string request;
        bool keepAlive = false;
    };
    struct Answer {
        int fd = -1;
        std::string bytes;
        bool close = true;
    };

    void EventLoop();
    // False when the system ran out of descriptors.
    bool Accept();
    void Read(Connection& c);
    // Frames what `c` holds: hands a complete request to the workers, or answers a refused one.
    void Frame(Connection& c);
    void Write(Connection& c);
    void StartWriting(Connection& c, std::string bytes, bool close);
    void Close(int fd);
    void Watch(Connection& c);
    void CheckTimes();
    void TakeAnswers();

    void WorkerLoop();

    Config m_config;
    Log m_log;
    struct soap* m_master = nullptr;
    int m_port = 0;
    int m_epoll = -1;
    int m_wakeFd = -1;
    std::atomic<bool> m_stop{false};
    std::thread m_loopThread;
    std::vector<std::thread> m_workers;

    // Event loop only.
    std::map<int, std::unique_ptr<Connection>> m_connections;
    std::map<std::string, int> m_perAddress;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Job> m_jobs;       // complete requests waiting for a worker
    std::deque<Answer> m_answers; // answers waiting for the event loop
};

} // namespace qdv
