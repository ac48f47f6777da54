#include "foldersize/scansystem.h"

#include "foldersize/pseudofilesystem.h"
#include "foldersize/subfolderopen.h"

#include <cerrno>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

// A path longer than the system takes in one call (ENAMETOOLONG: a folder deep below the one
// the user named) opened in steps of whole names, each below the limit, each relative to the
// folder opened before it. Links on the way are followed as a single open would follow them.
int openInSteps(const std::string &path)
{
    constexpr std::size_t Step = PATH_MAX / 2;
    int fd = AT_FDCWD;
    std::size_t from = 0;
    while (path.size() - from >= Step) {
        std::size_t end = path.rfind('/', from + Step);
        if (end == std::string::npos || end < from)
            end = path.find('/', from + 1); // one name alone: the system judges it
        if (end == std::string::npos)
            break;
        if (end == from && from > 0) { // "//": an empty name between two separators
            from = end + 1;
            continue;
        }
        const std::string part = end == 0 ? std::string("/") : path.substr(from, end - from);
        const int next = openat(fd, part.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC | O_NOCTTY);
        const int error = errno;
        if (fd != AT_FDCWD)
            close(fd);
        if (next < 0) {
            errno = error;
            return -1;
        }
        fd = next;
        from = end + 1;
    }
    const std::string rest = from < path.size() ? path.substr(from) : std::string(".");
    const int opened = openat(fd, rest.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY);
    const int error = errno;
    if (fd != AT_FDCWD)
        close(fd);
    errno = error;
    return opened;
}

} // namespace

int ScanSystem::openRoot(const std::string &path, struct stat &st)
{
    // The system cannot name a file with a NUL in it; cutting the text there would scan some
    // other folder.
    if (path.find('\0') != std::string::npos) {
        errno = ENOENT;
        return -1;
    }
    int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0 && errno == ENAMETOOLONG)
        fd = openInSteps(path);
    if (fd < 0)
        return -1; // missing, not a folder or unreadable
    if (fstat(fd, &st) != 0) {
        const int error = errno;
        close(fd);
        errno = error;
        return -1;
    }
    if (isKernelPseudoFilesystem(fd, st.st_dev)) {
        close(fd);
        errno = EXDEV;
        return -1;
    }
    return fd;
}

int ScanSystem::openSubfolder(int dirFd, const char *name)
{
    return OpenSubfolder(dirFd, name);
}

ssize_t ScanSystem::readEntries(int fd, char *buffer, std::size_t size)
{
    return getdents64(fd, buffer, size);
}

std::shared_ptr<ScanSystem> ScanSystem::real()
{
    static const auto system = new std::shared_ptr<ScanSystem>(std::make_shared<ScanSystem>());
    return *system; // never destroyed: a worker stuck at exit may still use it
}
