#pragma once
// Helpers shared by the fuzz targets: taking typed values from the front of
// an input, and checks that stop the run when a property of the code under
// test does not hold (libFuzzer then saves the input that broke it).

#include <QByteArray>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// A property that must hold whatever the input: the run stops (abort) and
// libFuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition);            \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (false)

// Reads values from the front of the input; past its end, zeros.
class FuzzInput
{
public:
    FuzzInput(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    uint8_t byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    uint16_t word() { return uint16_t(byte() << 8 | byte()); }
    uint32_t word32() { return uint32_t(word()) << 16 | word(); }
    // The rest of the input, unread.
    QByteArray rest()
    {
        const QByteArray out(reinterpret_cast<const char*>(m_data + m_pos), int(m_size - m_pos));
        m_pos = m_size;
        return out;
    }
    // The next n bytes (fewer at the end of the input).
    QByteArray take(size_t n)
    {
        n = n < m_size - m_pos ? n : m_size - m_pos;
        const QByteArray out(reinterpret_cast<const char*>(m_data + m_pos), int(n));
        m_pos += n;
        return out;
    }
    bool atEnd() const { return m_pos >= m_size; }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};
