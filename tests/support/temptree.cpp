#include "support/temptree.h"

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

} // namespace

TempTree::TempTree()
{
    check(m_dir.isValid(), "create a temporary directory");
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
