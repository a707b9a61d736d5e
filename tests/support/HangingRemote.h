#pragma once

#include <QString>

#include <atomic>
#include <thread>

namespace qdv::test {

// A history remote on loopback that takes one connection and never answers: a push to Url() waits on
// it until Release() (or the destructor, or 20 s at most, should the code under test never let go).
// The destructor also puts the history's options back to none.
class HangingRemote {
public:
    HangingRemote();
    ~HangingRemote();

    QString Url() const;
    // True once the push has connected (and is held).
    bool Taken() const { return m_taken; }
    // True once the connection and the port have been closed.
    bool Closed() const { return m_closed; }
    void Release() { m_release = true; }

private:
    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_taken{false};
    std::atomic<bool> m_closed{false};
    std::atomic<bool> m_release{false};
    std::thread m_thread;
};

} // namespace qdv::test
