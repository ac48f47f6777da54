#include "export/savetarget.h"

#include <QRandomGenerator>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The kernel's own limit on links followed while opening a name.
constexpr int maxLinks = 40;
// Long enough that guessing a new file's name is hopeless, short enough to stay far below
// NAME_MAX.
constexpr int randomLength = 12;
constexpr int createAttempts = 64;

SaveResult failure(int error, bool notRegularFile = false)
{
    return SaveResult{error == 0 ? EIO : error, notRegularFile};
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

// 0, or the errno of a link that cannot be read (or grew while it was read).
int readLink(const QByteArray &path, const struct stat &link, QByteArray *to)
{
    // A link's size is its length on most file systems, 0 on some pseudo ones.
    QByteArray text(link.st_size > 0 ? qsizetype(link.st_size) + 1 : 4096, '\0');
    const ssize_t got = ::readlink(path.constData(), text.data(), size_t(text.size()));
    if (got < 0)
        return errno;
    if (got == 0 || got >= text.size())
        return EIO;
    text.truncate(got);
    *to = text;
    return 0;
}

QByteArray randomText()
{
    static constexpr char alphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray text(randomLength, '\0');
    for (char &c : text)
        c = alphabet[QRandomGenerator::system()->bounded(int(sizeof(alphabet) - 1))];
    return text;
}

} // namespace

QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

SaveResult resolveSaveTarget(const QByteArray &name, SaveTarget *target)
{
    if (name.isEmpty())
        return failure(ENOENT);
    QByteArray path = name;
    for (int links = 0;; ++links) {
        struct stat status {};
        if (::lstat(path.constData(), &status) != 0) {
            if (errno != ENOENT)
                return failure(errno);
            target->path = path;
            return {};
        }
        if (!S_ISLNK(status.st_mode)) {
            target->path = path;
            target->exists = true;
            target->status = status;
            break;
        }
        if (links == maxLinks)
            return failure(ELOOP);
        const QByteArray folder = folderOf(path);
        QByteArray to;
        if (!mayFollow(status, folder))
            return failure(EACCES);
        if (const int error = readLink(path, status, &to))
            return failure(error);
        path = to.startsWith('/') ? to : folder + '/' + to;
    }
    if (S_ISDIR(target->status.st_mode))
        return failure(EISDIR, true);
    if (!S_ISREG(target->status.st_mode))
        return failure(EINVAL, true);
    return {};
}

QByteArray nameBeside(const QByteArray &path)
{
    const QByteArray folder = folderOf(path);
    return folder + (folder.endsWith('/') ? "" : "/") + '.' +
           path.mid(path.lastIndexOf('/') + 1).left(namePrefixLimit) + '.' + randomText() + '~';
}

int createBeside(const QByteArray &path, mode_t mode, QByteArray *name)
{
    for (int attempt = 0; attempt < createAttempts; ++attempt) {
        *name = nameBeside(path);
        const int fd =
            ::open(name->constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) {
            if (fd < 0)
                name->clear();
            return fd;
        }
    }
    name->clear();
    errno = EEXIST;
    return -1;
}
