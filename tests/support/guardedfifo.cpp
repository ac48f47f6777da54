#include "support/guardedfifo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

GuardedFifo::GuardedFifo(std::string path, std::chrono::milliseconds patience)
    : m_path(std::move(path))
{
    m_made = ::mkfifo(m_path.c_str(), 0644) == 0;
    if (m_made)
        m_watcher = std::thread([this, patience] { watch(patience); });
}

GuardedFifo::~GuardedFifo()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_stop.notify_all();
    if (m_watcher.joinable())
        m_watcher.join();
}

void GuardedFifo::watch(std::chrono::milliseconds patience)
{
    // A reader end, kept open, lets a stuck writer through (and keeps its writes from
    // raising SIGPIPE); a writer end opened and closed again gives a stuck reader its end of
    // file. Repeated, for code that opens the pipe once more after a first rescue.
    int reader = -1;
    std::unique_lock lock(m_mutex);
    for (auto wait = patience; !m_stop.wait_for(lock, wait, [this] { return m_stopping; });
         wait = std::chrono::milliseconds(100)) {
        if (reader < 0)
            reader = ::open(m_path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        const int writer = ::open(m_path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (writer >= 0)
            ::close(writer);
        m_rescued = true;
    }
    if (reader >= 0)
        ::close(reader);
}
