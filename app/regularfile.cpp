#include "app/regularfile.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::optional<QByteArray> readRegularFile(const QString &path, qint64 maxBytes)
{
    if (path.isEmpty() || path.contains(QChar(0)))
        return std::nullopt;
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer for ever. What
    // was opened is then checked, so nothing swapped in after a first look is read either.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size > maxBytes) {
        ::close(fd);
        return std::nullopt;
    }
    // One byte more than the size tells a file that grew since fstat.
    QByteArray bytes(qsizetype(status.st_size + 1), Qt::Uninitialized);
    qsizetype filled = 0;
    while (filled < bytes.size()) {
        const ssize_t got = ::read(fd, bytes.data() + filled, size_t(bytes.size() - filled));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (got == 0)
            break;
        filled += got;
    }
    ::close(fd);
    if (filled > status.st_size)
        return std::nullopt;
    bytes.truncate(filled);
    return bytes;
}
