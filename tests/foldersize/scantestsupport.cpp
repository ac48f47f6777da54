#include "scantestsupport.h"

#include "foldersize/sizescan.h"
#include "posix/listingrecords.h"

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <dirent.h>
#include <ftw.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

std::int64_t totalWithin(const std::string &path, std::chrono::milliseconds bound,
                         const std::function<void()> &meanwhile)
{
    const auto total = std::make_shared<std::atomic<std::int64_t>>(-1);
    const auto scan = SizeScan::start(
        {path}, [total](std::size_t, const FolderTotal &found) { *total = found.bytes.bytes(); });
    for (const auto until = std::chrono::steady_clock::now() + bound;
         *total < 0 && std::chrono::steady_clock::now() < until;) {
        if (meanwhile)
            meanwhile();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    scan->stop();
    return *total;
}

int openDescriptorCount()
{
    DIR *dir = opendir("/proc/self/fd");
    if (!dir)
        return -1;
    int count = 0;
    while (const dirent *entry = readdir(dir))
        count += entry->d_name[0] != '.';
    closedir(dir);
    return count - 1; // the listing's own descriptor
}

int descriptorsBelow(const std::string &path)
{
    DIR *dir = opendir("/proc/self/fd");
    if (!dir)
        return -1;
    int count = 0;
    char target[4096];
    while (const dirent *entry = readdir(dir)) {
        const ssize_t length = readlinkat(dirfd(dir), entry->d_name, target, sizeof target - 1);
        if (length <= 0)
            continue;
        target[length] = 0;
        count += std::strncmp(target, path.c_str(), path.size()) == 0 &&
                 (target[path.size()] == 0 || target[path.size()] == '/');
    }
    closedir(dir);
    return count;
}

namespace {
thread_local std::int64_t t_referenceSum = 0;
}

std::int64_t referenceTotal(const std::string &path)
{
    t_referenceSum = 0;
    nftw(
        path.c_str(),
        [](const char *, const struct stat *st, int kind, FTW *) {
            if (kind == FTW_F && S_ISREG(st->st_mode))
                t_referenceSum += st->st_size;
            return 0;
        },
        32, FTW_PHYS | FTW_MOUNT);
    return t_referenceSum;
}

int TestDirectoryReader::openSubfolder(int dirFd, const char *name)
{
    if (beforeOpen)
        beforeOpen(name);
    if (name == deniedName) {
        errno = EACCES;
        return -1;
    }
    return ScanSystem::openSubfolder(dirFd, name);
}

int TestDirectoryReader::openRoot(const std::string &path, struct stat &st)
{
    if (beforeOpen)
        beforeOpen(path.c_str());
    return ScanSystem::openRoot(path, st);
}

Gate &Gate::make()
{
    return *new Gate;
}

void Gate::wait()
{
    std::unique_lock lock(m_lock);
    ++m_waiting;
    m_opened.wait(lock, [this] { return m_open; });
    --m_waiting;
}

void Gate::open()
{
    const std::lock_guard lock(m_lock);
    m_open = true;
    m_opened.notify_all();
}

int Gate::waiting()
{
    const std::lock_guard lock(m_lock);
    return m_waiting;
}

ssize_t TestDirectoryReader::readEntries(int fd, char *buffer, std::size_t size)
{
    ++reads;
    if (beforeRead)
        beforeRead(fd);
    if (pause.count() > 0)
        std::this_thread::sleep_for(pause);
    const ssize_t got = getdents64(fd, buffer, readLimit ? std::min(size, readLimit) : size);
    if (blankTypes)
        for (const ListingRecord record : ListingRecords(buffer, got))
            record.start()[offsetof(struct dirent64, d_type)] = DT_UNKNOWN;
    return got;
}
