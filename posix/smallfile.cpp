#include "posix/smallfile.h"

#include <fcntl.h>
#include <unistd.h>

std::string readSmallFile(const char *path)
{
    std::string text;
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return text;
    // Files under /proc report no size: read until the end.
    char chunk[4096];
    for (ssize_t got; (got = read(fd, chunk, sizeof chunk)) > 0;)
        text.append(chunk, std::size_t(got));
    close(fd);
    return text;
}
