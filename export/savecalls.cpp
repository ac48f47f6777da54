#include "export/savecalls.h"

#include <cerrno>

SaveCalls &saveCalls()
{
    static SaveCalls calls;
    return calls;
}

int writeEvery(int fd, const char *data, size_t size)
{
    while (size > 0) {
        const ssize_t written = saveCalls().write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return written < 0 ? errno : ENOSPC;
        data += written;
        size -= size_t(written);
    }
    return 0;
}
