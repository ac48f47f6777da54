#include "foldersize/scansystem.h"

#include "foldersize/pseudofilesystem.h"
#include "foldersize/subfolderopen.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

int ScanSystem::openRoot(const std::string &path, struct stat &st)
{
    // The system cannot name a file with a NUL in it; cutting the text there would scan some
    // other folder.
    if (path.find('\0') != std::string::npos) {
        errno = ENOENT;
        return -1;
    }
    const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return -1; // missing, not a folder, unreadable or a path over the system's limit
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
