#include "support/temptree.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

void makeParents(const std::string &path)
{
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1))
        mkdir(path.substr(0, slash).c_str(), 0755);
}

void check(bool ok, const std::string &what)
{
    if (!ok)
        throw std::runtime_error("TempTree: cannot " + what);
}

// Empties a folder through descriptors, never following a link.
void removeContents(int dirFd)
{
    std::vector<std::string> names;
    const int listFd = dup(dirFd);
    DIR *dir = listFd >= 0 ? fdopendir(listFd) : nullptr;
    if (!dir) {
        if (listFd >= 0)
            close(listFd);
        return;
    }
    while (const dirent *entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    closedir(dir);
    for (const std::string &name : names) {
        struct stat st;
        if (fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (!S_ISDIR(st.st_mode)) {
            unlinkat(dirFd, name.c_str(), 0);
            continue;
        }
        fchmodat(dirFd, name.c_str(), 0700, 0);
        const int sub =
            openat(dirFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (sub >= 0) {
            removeContents(sub);
            close(sub);
        }
        unlinkat(dirFd, name.c_str(), AT_REMOVEDIR);
    }
}

} // namespace

TempTree::TempTree()
{
    check(m_dir.isValid(), "create a temporary directory");
}

TempTree::~TempTree()
{
    const int fd = open(root().c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0) {
        removeContents(fd);
        close(fd);
    }
}

std::string TempTree::root() const
{
    return m_dir.path().toStdString();
}

QString TempTree::rootQ() const
{
    return m_dir.path();
}

std::string TempTree::path(const std::string &relative) const
{
    return relative.empty() ? root() : root() + "/" + relative;
}

QString TempTree::pathQ(const std::string &relative) const
{
    return QString::fromStdString(path(relative));
}

void TempTree::makeDir(const std::string &relative) const
{
    const std::string full = path(relative);
    makeParents(full);
    check(mkdir(full.c_str(), 0755) == 0 || errno == EEXIST, "make folder " + full);
}

void TempTree::makeFile(const std::string &relative, std::int64_t bytes) const
{
    const std::string full = path(relative);
    makeParents(full);
    const int fd = open(full.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    check(fd >= 0, "create " + full);
    std::vector<char> block(64 * 1024, 'q');
    for (std::int64_t left = bytes; left > 0;) {
        const auto chunk = static_cast<std::size_t>(std::min<std::int64_t>(left, block.size()));
        const ssize_t written = write(fd, block.data(), chunk);
        check(written > 0, "write " + full);
        left -= written;
    }
    close(fd);
}

void TempTree::makeSparseFile(const std::string &relative, std::int64_t bytes) const
{
    const std::string full = path(relative);
    makeParents(full);
    const int fd = open(full.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    check(fd >= 0, "create " + full);
    check(ftruncate(fd, bytes) == 0, "extend " + full);
    close(fd);
}

void TempTree::makeSymlink(const std::string &relative, const std::string &target) const
{
    const std::string full = path(relative);
    makeParents(full);
    check(symlink(target.c_str(), full.c_str()) == 0, "link " + full);
}
