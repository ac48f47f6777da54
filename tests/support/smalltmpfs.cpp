#include "support/smalltmpfs.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>
#include <vector>

SmallTmpfs::SmallTmpfs(int kilobytes)
{
    std::string pattern = "/tmp/quorvane-tmpfs-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        m_why = "cannot make a mount point";
        return;
    }
    m_root = pattern;
    if (::geteuid() != 0) {
        m_why = "mounting a small tmpfs needs root";
        return;
    }
    const std::string options = "size=" + std::to_string(kilobytes) + "k,mode=0755";
    if (::mount("tmpfs", m_root.c_str(), "tmpfs", 0, options.c_str()) != 0) {
        m_why = std::string("cannot mount a tmpfs: ") + std::strerror(errno);
        return;
    }
    m_mounted = true;
}

SmallTmpfs::~SmallTmpfs()
{
    if (m_mounted)
        ::umount2(m_root.c_str(), MNT_DETACH);
    if (!m_root.empty())
        ::rmdir(m_root.c_str());
}

QString SmallTmpfs::pathQ(const std::string &relative) const
{
    return QString::fromStdString(m_root + "/" + relative);
}

void SmallTmpfs::fill(const std::string &relative) const
{
    const std::string path = m_root + "/" + relative;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    const std::vector<char> block(4096, 'f');
    while (::write(fd, block.data(), block.size()) > 0) {
    }
    while (::write(fd, block.data(), 1) > 0) {
    }
    ::close(fd);
}
