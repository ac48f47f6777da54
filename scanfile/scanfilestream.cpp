#include "scanfile/scanfilestream.h"

#include <cerrno>
#include <unistd.h>

bool ScanFileStream::refill()
{
    if (m_ended)
        return false;
    m_buffer.resize(Chunk);
    for (;;) {
        const ssize_t got = ::read(m_fd, m_buffer.data(), m_buffer.size());
        if (got > 0) {
            m_before = Tell();
            m_chunk = m_buffer.data();
            m_at = m_buffer.data();
            m_end = m_at + got;
            return true;
        }
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            m_error = errno;
        m_ended = true;
        return false;
    }
}
