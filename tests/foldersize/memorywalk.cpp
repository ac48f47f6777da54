#include "memorywalk.h"

#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::int64_t MemoryWalk::operator()(const std::string &path)
{
    m_foldersRead = 0;
    m_runAgain = false;
    const std::int64_t total = once(path);
    return m_runAgain ? once(path) : total;
}

std::int64_t MemoryWalk::once(const std::string &path)
{
    m_memory.catchUp();
    const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    return fd < 0 ? 0 : folder(fd, {});
}

std::int64_t MemoryWalk::folder(int dirFd, const FolderTicket &parent)
{
    struct stat own;
    if (fstat(dirFd, &own) != 0) {
        close(dirFd);
        m_memory.finish(parent, 0, false);
        return 0;
    }
    const FolderKey key{own.st_dev, own.st_ino};
    if (const auto total = m_memory.lookup(key, parent)) {
        close(dirFd);
        return *total;
    }
    const FolderTicket ticket = m_memory.watch(dirFd, key, parent);
    ++m_foldersRead;
    DIR *listing = fdopendir(dirFd);
    if (!listing) {
        close(dirFd);
        m_memory.finish(ticket, 0, false);
        return 0;
    }
    std::int64_t total = 0;
    bool exact = true;
    while (const dirent *entry = readdir(listing)) {
        if (!std::strcmp(entry->d_name, ".") || !std::strcmp(entry->d_name, ".."))
            continue;
        struct stat st;
        if (fstatat(dirfd(listing), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            exact = false;
        } else if (S_ISDIR(st.st_mode)) {
            const int child = openat(dirfd(listing), entry->d_name,
                                     O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (child < 0)
                exact = false;
            else
                total += folder(child, ticket);
        } else if (S_ISREG(st.st_mode)) {
            total += st.st_size;
            if (st.st_nlink > 1) {
                exact = false;
                m_runAgain = m_memory.linkedFileSeen(st.st_ctim) || m_runAgain;
            }
        }
    }
    closedir(listing);
    m_memory.finish(ticket, total, exact);
    return total;
}
