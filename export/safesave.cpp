#include "export/safesave.h"

#include <QFile>
#include <QRandomGenerator>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Long enough that guessing the name is hopeless, short enough to stay far below NAME_MAX.
constexpr int randomLength = 12;
constexpr qsizetype namePrefixLimit = 120;
constexpr int createAttempts = 64;

struct Destination {
    QByteArray path; // where the rename goes: the target, or the file a link leads to
    bool exists = false;
    struct stat status {};
};

SaveResult failure(int error, bool notRegularFile = false)
{
    return SaveResult{error == 0 ? EIO : error, notRegularFile};
}

QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

// The kernel's rule for links in shared folders (fs.protected_symlinks): in a sticky folder
// writable by everyone, such as /tmp, a link is followed only when it belongs to us or to
// the folder's owner, so that nobody can plant a link there that makes us replace a file of
// ours elsewhere. Following by name here would otherwise get round that rule.
bool mayFollow(const struct stat &link, const QByteArray &folder)
{
    struct stat status {};
    if (::stat(folder.constData(), &status) != 0)
        return false;
    const bool shared = (status.st_mode & S_ISVTX) && (status.st_mode & S_IWOTH);
    return !shared || link.st_uid == ::geteuid() || link.st_uid == status.st_uid;
}

// Follows a symbolic link so that the link survives the save; a dangling link is replaced
// like any name.
SaveResult resolve(const QByteArray &target, Destination *destination)
{
    if (target.isEmpty())
        return failure(ENOENT);
    destination->path = target;
    struct stat link {};
    if (::lstat(target.constData(), &link) == 0 && S_ISLNK(link.st_mode)) {
        if (!mayFollow(link, folderOf(target)))
            return failure(EACCES);
        if (char *real = ::realpath(target.constData(), nullptr)) {
            destination->path = QByteArray(real);
            std::free(real);
        }
    }
    if (::stat(destination->path.constData(), &destination->status) != 0) {
        if (errno == ENOENT)
            return {};
        return failure(errno);
    }
    destination->exists = true;
    if (S_ISDIR(destination->status.st_mode))
        return failure(EISDIR, true);
    if (!S_ISREG(destination->status.st_mode))
        return failure(EINVAL, true);
    return {};
}

QByteArray randomText()
{
    static constexpr char alphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray text(randomLength, '\0');
    for (char &c : text)
        c = alphabet[QRandomGenerator::system()->bounded(int(sizeof(alphabet) - 1))];
    return text;
}

QByteArray newFileNameFor(const QByteArray &path)
{
    const QByteArray folder = folderOf(path);
    const QByteArray name = path.mid(path.lastIndexOf('/') + 1).left(namePrefixLimit);
    return folder + (folder.endsWith('/') ? "" : "/") + '.' + name + '.' + randomText() + '~';
}

// An existing file's permissions, owner and group carry over, so replacing it changes
// nothing but its contents. Owner and group are kept only where the system allows it.
int copyAttributes(int fd, const struct stat &from)
{
    if ((from.st_uid != ::geteuid() || from.st_gid != ::getegid()) &&
        ::fchown(fd, from.st_uid, from.st_gid) != 0) {
        // Not permitted for an ordinary user saving someone else's file: it becomes theirs.
    }
    return ::fchmod(fd, from.st_mode & 0777) == 0 ? 0 : errno;
}

} // namespace

PendingSave::PendingSave(const QByteArray &target, mode_t newFileMode)
{
    Destination destination;
    m_status = resolve(target, &destination);
    if (!m_status.ok())
        return;
    m_target = destination.path;

    for (int attempt = 0; attempt < createAttempts; ++attempt) {
        const QByteArray name = newFileNameFor(m_target);
        m_fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                      destination.exists ? 0600 : newFileMode);
        if (m_fd >= 0) {
            m_newFile = name;
            break;
        }
        if (errno != EEXIST) {
            m_status = failure(errno);
            return;
        }
    }
    if (m_fd < 0) {
        m_status = failure(EEXIST);
        return;
    }
    if (destination.exists) {
        if (const int error = copyAttributes(m_fd, destination.status))
            m_status = fail(failure(error));
    }
}

PendingSave::PendingSave(const QString &target, mode_t newFileMode)
    : PendingSave(QFile::encodeName(target), newFileMode)
{}

PendingSave::~PendingSave()
{
    discard();
}

SaveResult PendingSave::write(const QByteArray &bytes)
{
    if (m_fd < 0)
        return m_status.ok() ? failure(EBADF) : m_status;
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(m_fd, data, static_cast<size_t>(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return fail(failure(written < 0 ? errno : ENOSPC));
        data += written;
        left -= written;
    }
    return {};
}

SaveResult PendingSave::commit()
{
    if (m_fd < 0)
        return m_status.ok() ? failure(EBADF) : m_status;
    // Network and quota-limited file systems may report a failed write only at the flush or
    // the close; a file renamed in place before they answer could be empty after a crash.
    if (::fsync(m_fd) != 0)
        return fail(failure(errno));
    const int fd = std::exchange(m_fd, -1);
    // After a successful fsync an interrupted close has still released the descriptor and
    // lost nothing.
    if (::close(fd) != 0 && errno != EINTR)
        return fail(failure(errno));
    if (::rename(m_newFile.constData(), m_target.constData()) != 0)
        return fail(failure(errno));
    m_newFile.clear();

    // The rename itself reaches the disk with the folder; a folder that cannot be flushed
    // still holds the complete file.
    const int folder = ::open(folderOf(m_target).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return {};
}

void PendingSave::discard()
{
    if (m_fd >= 0)
        ::close(std::exchange(m_fd, -1));
    if (!m_newFile.isEmpty())
        ::unlink(std::exchange(m_newFile, QByteArray()).constData());
}

SaveResult PendingSave::fail(SaveResult result)
{
    discard();
    m_status = result;
    return result;
}

SaveResult safeSave(const QByteArray &target, const QByteArray &bytes, mode_t newFileMode)
{
    PendingSave save(target, newFileMode);
    if (!save.status().ok())
        return save.status();
    if (const SaveResult written = save.write(bytes); !written.ok())
        return written;
    return save.commit();
}

SaveResult safeSave(const QString &target, const QByteArray &bytes, mode_t newFileMode)
{
    return safeSave(QFile::encodeName(target), bytes, newFileMode);
}
