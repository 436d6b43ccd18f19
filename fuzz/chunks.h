#pragma once
// Cuts a fuzz input's byte stream into chunks, as a serial reader or a terminal would hand them
// over. One control byte decides every cut, so a single mutation of it tries another chunking of
// the same bytes: bits 0-2 give the largest chunk (1 << n bytes, 7: no limit), bits 3-7 seed the
// sizes.

#include <cstddef>
#include <cstdint>

class Chunks {
public:
    Chunks(std::uint8_t control, const std::uint8_t* data, std::size_t size)
        : m_data(data),
          m_left(size),
          m_largest((control & 7U) == 7U ? 0 : std::size_t{1} << (control & 7U)),
          m_state(0x9E3779B9U ^ (control >> 3U)) {}

    // False once the stream is used up; chunks are never empty.
    bool Next(const std::uint8_t*& bytes, std::size_t& count) {
        if (m_left == 0) {
            return false;
        }
        count = m_largest == 0 ? m_left : 1 + NextRandom() % m_largest;
        count = count < m_left ? count : m_left;
        bytes = m_data;
        m_data += count;
        m_left -= count;
        return true;
    }

private:
    // xorshift32: cheap, and the same control byte always gives the same cuts.
    std::uint32_t NextRandom() {
        m_state ^= m_state << 13U;
        m_state ^= m_state >> 17U;
        m_state ^= m_state << 5U;
        return m_state;
    }

    const std::uint8_t* m_data;
    std::size_t m_left;
    std::size_t m_largest;
    std::uint32_t m_state;
};
