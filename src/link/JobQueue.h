#pragma once

#include "store/JobKind.h"

#include <QString>
#include <array>
#include <cstdint>

namespace qdv {

// One file to move: what to ask for or what to send, and where it lives in the backup store.
struct JobEntry {
    JobKind kind = kJobPrimary;
    int station = 0;       // 0 receive, 1 send (kinds 0..2), or the secondary station
    std::uint8_t id = 0;   // ID of the records: 0x00, 0x01 or the station
    QString deviceAddress; // the setup's IP address
    bool stationAddressPresent = false;
    QString stationAddress;
    int lanPort = 0;     // the setup's packet-link TCP port
    char command = '8';  // CMD of the request
    char typeChar = '0'; // INDEX character
    int typeCode = 0;    // data type code for the store
    QString filePath;
    qint64 expectedSize = 0;
};

// A ring of 256 entries. Adding to a full ring drops the oldest entry.
class JobQueue {
public:
    static constexpr int kCapacity = 256;

    bool Empty() const { return m_read == m_write; }
    int Size() const { return (m_write - m_read + kCapacity) % kCapacity; }
    void Clear() { m_read = m_write = 0; }
    void Push(const JobEntry& e) {
        m_ring[static_cast<std::size_t>(m_write)] = e;
        m_write = (m_write + 1) % kCapacity;
        if (m_write == m_read)
            m_read = (m_read + 1) % kCapacity;
    }
    const JobEntry& Front() const { return m_ring[static_cast<std::size_t>(m_read)]; }
    // Entry i (0-based) from the read end; i below Size().
    const JobEntry& At(int i) const { return m_ring[static_cast<std::size_t>((m_read + i) % kCapacity)]; }
    JobEntry Pop() {
        JobEntry e = Front();
        m_read = (m_read + 1) % kCapacity;
        return e;
    }

private:
    std::array<JobEntry, kCapacity> m_ring;
    int m_read = 0;
    int m_write = 0;
};

} // namespace qdv
