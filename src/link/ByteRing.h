#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>

namespace qdv {

// A fixed ring of received bytes between a reader thread and the link engine. It never overwrites: bytes
// that do not fit are refused whole, so the caller can report the overflow instead of passing on a
// stream with a hole in it. Not locked; its owner holds the lock.
template <std::size_t N> class ByteRing {
public:
    static constexpr std::size_t kCapacity = N;

    std::size_t Size() const { return m_count; }
    std::size_t Free() const { return N - m_count; }
    bool Empty() const { return m_count == 0; }

    // Appends all `count` bytes, or none when they do not fit.
    bool Put(const char* src, std::size_t count) {
        if (count > Free())
            return false;
        const std::size_t write = (m_read + m_count) % N;
        const std::size_t first = std::min(count, N - write);
        std::memcpy(m_bytes.data() + write, src, first);
        std::memcpy(m_bytes.data(), src + first, count - first);
        m_count += count;
        return true;
    }

    // Takes up to `max` bytes in arrival order; 0 when empty or `max` is not positive.
    std::size_t Take(char* dst, long long max) {
        if (max <= 0)
            return 0;
        const std::size_t n = std::min(m_count, static_cast<std::size_t>(max));
        const std::size_t first = std::min(n, N - m_read);
        std::memcpy(dst, m_bytes.data() + m_read, first);
        std::memcpy(dst + first, m_bytes.data(), n - first);
        m_read = (m_read + n) % N;
        m_count -= n;
        return n;
    }

    void Clear() {
        m_read = 0;
        m_count = 0;
    }

private:
    std::array<char, N> m_bytes{};
    std::size_t m_read = 0;
    std::size_t m_count = 0;
};

} // namespace qdv
