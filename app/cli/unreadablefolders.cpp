#include "app/cli/unreadablefolders.h"

#include "app/cli/outputfile.h"
#include "foldersize/pseudofilesystem.h"
#include "platform/nativepath.h"
#include "posix/pathtext.h"

#include <QPair>
#include <QSet>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// An open folder, closed when it goes.
class OpenFolder {
public:
    explicit OpenFolder(const QByteArray &path)
        : m_fd(::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)),
          m_error(m_fd < 0 ? errno : 0)
    {
        if (m_fd >= 0) {
            m_listing = ::fdopendir(m_fd);
            if (!m_listing) {
                m_error = errno;
                ::close(m_fd);
                m_fd = -1;
            }
        }
    }
    ~OpenFolder()
    {
        if (m_listing)
            ::closedir(m_listing);
    }
    OpenFolder(const OpenFolder &) = delete;
    OpenFolder &operator=(const OpenFolder &) = delete;

    int fd() const { return m_fd; }
    int error() const { return m_error; }
    // The next entry but "." and "..", or null at the end; error() then tells a failed read.
    dirent *next()
    {
        for (;;) {
            errno = 0;
            dirent *entry = ::readdir(m_listing);
            if (!entry) {
                m_error = errno;
                return nullptr;
            }
            if (!isDot(entry->d_name))
                return entry;
        }
    }

private:
    int m_fd = -1;
    int m_error = 0;
    DIR *m_listing = nullptr;
};

bool isFolder(int parentFd, const dirent *entry)
{
    if (entry->d_type != DT_UNKNOWN)
        return entry->d_type == DT_DIR;
    struct stat status {};
    return ::fstatat(parentFd, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0 &&
           S_ISDIR(status.st_mode);
}

// Depth first, a path at a time, so that no descriptor is held across levels.
void find(const QByteArray &path, int limit, QList<UnreadableFolder> &found)
{
    QList<QByteArray> folders;
    {
        OpenFolder folder(path);
        if (folder.fd() < 0) {
            found.append({path, folder.error()});
            return;
        }
        struct stat status {};
        if (::fstat(folder.fd(), &status) == 0 &&
            isKernelPseudoFilesystem(folder.fd(), status.st_dev))
            return;
        while (const dirent *entry = folder.next())
            if (isFolder(folder.fd(), entry))
                folders.append(path + '/' + entry->d_name);
        if (folder.error() != 0) {
            found.append({path, folder.error()});
            if (found.size() >= limit)
                return;
        }
    }
    for (const QByteArray &below : std::as_const(folders)) {
        if (found.size() >= limit)
            return;
        find(below, limit, found);
    }
}

} // namespace

qint64 filesDirectlyIn(const QByteArray &path, bool allocated)
{
    OpenFolder folder(path);
    if (folder.fd() < 0)
        return 0;
    qint64 bytes = 0;
    QSet<QPair<dev_t, ino_t>> counted;
    while (const dirent *entry = folder.next()) {
        if (entry->d_type == DT_DIR)
            continue;
        struct stat status {};
        if (::fstatat(folder.fd(), entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0 ||
            S_ISDIR(status.st_mode))
            continue;
        if (allocated) {
            const qint64 occupied = qint64(status.st_blocks) * 512;
            if ((status.st_nlink == 1 || !counted.contains({status.st_dev, status.st_ino})) &&
                occupied <= std::numeric_limits<qint64>::max() - bytes)
                bytes += occupied;
            counted.insert({status.st_dev, status.st_ino});
            continue;
        }
        if (S_ISREG(status.st_mode) && status.st_size <= std::numeric_limits<qint64>::max() - bytes)
            bytes += status.st_size;
    }
    return bytes;
}

QList<UnreadableFolder> findUnreadableFolders(const QByteArray &folder, int limit)
{
    QList<UnreadableFolder> found;
    if (limit > 0)
        find(folder, limit, found);
    return found;
}

void tellUnreadable(const QList<UnreadableFolder> &folders, quint64 total, int shown)
{
    quint64 told = 0;
    for (const UnreadableFolder &folder : folders) {
        if (told == quint64(shown))
            break;
        tellError(QStringLiteral("cannot read %1: %2")
                      .arg(displayPath(pathFromNative(folder.path)),
                           QString::fromLocal8Bit(std::strerror(folder.error))));
        ++told;
    }
    if (total > told)
        tellError(QStringLiteral("%1 more folder(s) could not be read").arg(total - told));
}
