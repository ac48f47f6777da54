#include "foldersize/subfolderopen.h"

#include "foldersize/pseudofilesystem.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

constexpr int SubfolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY;

// Kernels before 5.6, and sandboxes whose system call filter predates openat2, refuse it:
// every open then stats the folder it opened instead.
std::atomic<bool> g_openat2Refused{false};
std::atomic<int> g_refusalForTesting{0};

int openWithinMount(int dirFd, const char *name)
{
    if (const int refusal = g_refusalForTesting.load(std::memory_order_relaxed)) {
        errno = refusal;
        return -1;
    }
    open_how how{};
    how.flags = SubfolderFlags;
    how.resolve = RESOLVE_NO_XDEV;
    return int(syscall(SYS_openat2, dirFd, name, &how, sizeof how));
}

int openCheckingMount(int dirFd, const char *name)
{
    const int fd = openat(dirFd, name, SubfolderFlags);
    if (fd < 0)
        return -1;
    struct stat parent, folder;
    if (fstat(fd, &folder) != 0) {
        close(fd);
        return -1;
    }
    // A bind mount of the same file system holds nothing new to check.
    if (fstat(dirFd, &parent) == 0 && parent.st_dev == folder.st_dev)
        return fd;
    if (isKernelPseudoFilesystem(fd, folder.st_dev)) {
        close(fd);
        errno = EXDEV;
        return -1;
    }
    return fd;
}

} // namespace

int OpenSubfolder(int dirFd, const char *name)
{
    if (!g_openat2Refused.load(std::memory_order_relaxed)) {
        const int fd = openWithinMount(dirFd, name);
        if (fd >= 0 || (errno != EXDEV && errno != ENOSYS && errno != EPERM && errno != E2BIG &&
                        errno != EINVAL))
            return fd;
        if (errno != EXDEV)
            g_openat2Refused.store(true, std::memory_order_relaxed);
    }
    return openCheckingMount(dirFd, name);
}

void RefuseOpenat2ForTesting(int error)
{
    g_refusalForTesting.store(error);
    g_openat2Refused.store(false);
}
