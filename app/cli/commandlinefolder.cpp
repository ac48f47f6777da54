// FOLDER as the command line names it: made absolute, checked, and resolved for the window.

#include "app/cli/commandline.h"
#include "platform/nativepath.h"

#include <QDir>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

QString absoluteFolder(const QString &folder, QString *problem)
{
    const QByteArray native = nativePath(folder);
    if (native.startsWith('/'))
        return QDir::cleanPath(folder);
    // The current folder's own bytes: its name need not be UTF-8, and a current folder that
    // was removed has no name at all (ENOENT) rather than some other folder's.
    char *current = ::getcwd(nullptr, 0);
    if (!current) {
        *problem = errno == ENOENT ? QStringLiteral("the current folder no longer exists")
                                   : QString::fromLocal8Bit(std::strerror(errno));
        return {};
    }
    const QByteArray base(current);
    std::free(current);
    return QDir::cleanPath(pathFromNative(base + '/' + native));
}

QString folderProblem(const QString &folder)
{
    const QByteArray path = nativePath(folder);
    struct stat status {};
    if (::stat(path.constData(), &status) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    if (!S_ISDIR(status.st_mode))
        return QStringLiteral("not a folder");
    // A folder is opened with O_DIRECTORY, which never blocks the way a FIFO would.
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    DIR *listing = ::fdopendir(fd);
    if (!listing) {
        const int error = errno;
        ::close(fd);
        return QString::fromLocal8Bit(std::strerror(error));
    }
    ::closedir(listing);
    return {};
}

QString windowStartFolder(const QString &folder)
{
    char *resolved = ::realpath(nativePath(folder).constData(), nullptr);
    const QString real = resolved ? pathFromNative(resolved) : QDir::cleanPath(folder);
    std::free(resolved);
    return real.endsWith(u'/') ? real : real + u'/';
}
