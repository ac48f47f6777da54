#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// A byte stream for RapidJSON's reader over a descriptor or over text in memory, read in
// chunks. The end of input, and a read error after it is remembered, read as a NUL byte,
// as RapidJSON expects.
class ScanFileStream {
public:
    using Ch = char;

    explicit ScanFileStream(int fd) : m_fd(fd) {}
    explicit ScanFileStream(std::string_view text)
        : m_chunk(text.data()), m_at(text.data()), m_end(text.data() + text.size()), m_ended(true)
    {}

    // The reader asks for every byte twice: the common case is kept to one comparison.
    Ch Peek()
    {
        if (m_at == m_end && !refill()) [[unlikely]]
            return '\0';
        return *m_at;
    }
    Ch Take()
    {
        if (m_at == m_end && !refill()) [[unlikely]]
            return '\0';
        return *m_at++;
    }
    std::size_t Tell() const { return m_before + std::size_t(m_at - m_chunk); }
    bool atEnd() { return Peek() == '\0' && m_at == m_end; }
    // errno of a failed read, or 0.
    int readError() const { return m_error; }

    // Writing is never asked of a reader's stream.
    Ch *PutBegin() { return nullptr; }
    void Put(Ch) {}
    void Flush() {}
    std::size_t PutEnd(Ch *) { return 0; }

private:
    bool refill();

    static constexpr std::size_t Chunk = 64 * 1024;
    int m_fd = -1;
    const char *m_chunk = nullptr; // where the bytes in hand begin
    const char *m_at = nullptr;
    const char *m_end = nullptr;
    std::size_t m_before = 0; // bytes before m_chunk
    bool m_ended = false;
    int m_error = 0;
    std::string m_buffer;
};
