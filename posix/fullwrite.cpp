#include "posix/fullwrite.h"

#include <cerrno>
#include <poll.h>

int writeAll(int fd, const char *data, std::size_t size, WriteCall write)
{
    while (size > 0) {
        const ssize_t written = write(fd, data, size);
        if (written > 0) {
            data += written;
            size -= std::size_t(written);
            continue;
        }
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && errno == EAGAIN) {
            pollfd room{fd, POLLOUT, 0};
            ::poll(&room, 1, -1);
            continue;
        }
        return written < 0 ? errno : ENOSPC;
    }
    return 0;
}
