#include "foldersize/folderwalk.h"

#include "foldersize/pseudofilesystem.h"

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t BufferSize = 32 * 1024;
constexpr int SubfolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY;

bool isDotOrDotDot(const char *name)
{
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

} // namespace

FolderWalk::FolderWalk(const FolderSizeYield &yield)
    : m_yield(yield), m_buffer(new char[BufferSize])
{}

FolderWalk::~FolderWalk()
{
    closeAll();
}

SizeAmount FolderWalk::run(int rootFd)
{
    struct stat st;
    if (fstat(rootFd, &st) != 0 || isKernelPseudoFilesystem(rootFd, st.st_dev)) {
        close(rootFd);
        return {};
    }
    if (!enter(rootFd, st))
        return stop();

    for (;;) {
        Level &top = m_levels.back();
        if (top.nextName == top.namesEnd) {
            const SizeAmount total = leave();
            if (m_levels.empty())
                return total;
            m_levels.back().total.tryAdd(total);
            continue;
        }
        const char *name = m_names.data() + top.nextName;
        top.nextName += std::strlen(name) + 1;
        if (top.fd < 0) { // lost on the way back: its remaining subfolders count 0
            top.nextName = top.namesEnd;
            continue;
        }
        const int fd = openSubfolder(name);
        if (fd < 0)
            continue;
        if (fstat(fd, &st) != 0 ||
            (st.st_dev != top.device && isKernelPseudoFilesystem(fd, st.st_dev))) {
            close(fd);
            continue;
        }
        if (!enter(fd, st))
            return stop();
    }
}

// The partial total of a scan the yield stopped; the caller does not use it.
SizeAmount FolderWalk::stop()
{
    closeAll();
    return m_levels.front().total;
}

// Pushes a level for the open folder fd and reads it; false when the yield said Stop.
bool FolderWalk::enter(int fd, const struct stat &st)
{
    Level level;
    level.fd = fd;
    level.device = st.st_dev;
    level.inode = st.st_ino;
    level.namesBegin = level.nextName = m_names.size();
    try {
        m_levels.push_back(level);
    } catch (...) {
        close(fd);
        throw;
    }
    Level &top = m_levels.back();
    const bool goOn = readFolder(top);
    top.namesEnd = m_names.size();
    return goOn;
}

bool FolderWalk::readFolder(Level &level)
{
    char *const buffer = m_buffer.get();
    for (;;) {
        const ssize_t got = getdents64(level.fd, buffer, BufferSize);
        if (got <= 0)
            return true; // the end, or a read error: what was read still counts
        for (ssize_t at = 0; at < got;) {
            const char *record = buffer + at;
            unsigned short length;
            std::memcpy(&length, record + offsetof(struct dirent64, d_reclen), sizeof length);
            at += length;
            const char *name = record + offsetof(struct dirent64, d_name);
            if (isDotOrDotDot(name))
                continue;
            if (!countEntry(level, name,
                            static_cast<unsigned char>(record[offsetof(struct dirent64, d_type)])))
                return false;
        }
    }
}

// Adds a file's length or keeps a subfolder's name; false when the yield said Stop.
bool FolderWalk::countEntry(Level &level, const char *name, unsigned char type)
{
    if (m_yield && askYield() == ScanControl::Stop)
        return false;
    if (type == DT_DIR) {
        m_names.append(name, std::strlen(name) + 1);
        return true;
    }
    if (type != DT_REG && type != DT_UNKNOWN)
        return true; // links, devices, pipes and sockets occupy no file data
    struct stat st;
    if (fstatat(level.fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return true; // vanished or unreadable: counts 0
    if (S_ISREG(st.st_mode))
        level.total.tryAddBytes(st.st_size);
    else if (S_ISDIR(st.st_mode))
        m_names.append(name, std::strlen(name) + 1);
    return true;
}

// A yield that throws is skipped like any other failing step: the scan goes on.
ScanControl FolderWalk::askYield() const
{
    try {
        return m_yield();
    } catch (...) {
        return ScanControl::Continue;
    }
}

int FolderWalk::openSubfolder(const char *name)
{
    const std::size_t topIndex = m_levels.size() - 1;
    for (;;) {
        const int fd = openat(m_levels[topIndex].fd, name, SubfolderFlags);
        if (fd >= 0 || (errno != EMFILE && errno != ENFILE) || !releaseShallowestHandle(topIndex))
            return fd;
    }
}

// Closes the descriptor of the shallowest level above `below` that still holds one.
bool FolderWalk::releaseShallowestHandle(std::size_t below)
{
    for (std::size_t i = 0; i < below; ++i) {
        if (m_levels[i].fd >= 0) {
            close(m_levels[i].fd);
            m_levels[i].fd = -1;
            return true;
        }
    }
    return false;
}

// Pops the finished top level and returns its total. A parent that gave up its descriptor
// is opened again through "..", and only if it is still the same folder: a tree moved during
// the scan must not be counted in the wrong place.
SizeAmount FolderWalk::leave()
{
    const Level done = m_levels.back();
    m_levels.pop_back();
    m_names.resize(done.namesBegin);
    if (!m_levels.empty() && m_levels.back().fd < 0 && done.fd >= 0) {
        Level &parent = m_levels.back();
        int fd;
        while ((fd = openat(done.fd, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC)) < 0 &&
               (errno == EMFILE || errno == ENFILE) &&
               releaseShallowestHandle(m_levels.size() - 1)) {
        }
        struct stat st;
        if (fd >= 0 && fstat(fd, &st) == 0 && st.st_dev == parent.device &&
            st.st_ino == parent.inode)
            parent.fd = fd;
        else if (fd >= 0)
            close(fd);
    }
    if (done.fd >= 0)
        close(done.fd);
    return done.total;
}

void FolderWalk::closeAll()
{
    for (Level &level : m_levels) {
        if (level.fd >= 0)
            close(level.fd);
        level.fd = -1;
    }
}
