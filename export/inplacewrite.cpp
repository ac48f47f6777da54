#include "export/inplacewrite.h"

#include "export/savecalls.h"
#include "export/savetarget.h"
#include "export/stopcleanup.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr size_t chunkBytes = 1 << 16;

// Copies all of `from` over the start of `to` and cuts `to` to that length; 0 or an errno.
int copyOver(int from, int to)
{
    if (::lseek(to, 0, SEEK_SET) != 0)
        return errno;
    QByteArray chunk(qsizetype(chunkBytes), Qt::Uninitialized);
    off_t offset = 0;
    for (;;) {
        const ssize_t got = ::pread(from, chunk.data(), chunkBytes, offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return errno;
        if (got == 0)
            break;
        if (const int error = writeEvery(to, chunk.constData(), size_t(got)))
            return error;
        offset += got;
    }
    if (::ftruncate(to, offset) != 0)
        return errno;
    return saveCalls().fsync(to) == 0 ? 0 : errno;
}

// A second descriptor on the same old file, for reading its contents into the backup.
int openForReading(const QByteArray &path, int target)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -errno;
    struct stat opened {
    }, old{};
    if (::fstat(fd, &opened) != 0 || ::fstat(target, &old) != 0 || opened.st_dev != old.st_dev ||
        opened.st_ino != old.st_ino) {
        ::close(fd);
        return -EAGAIN; // the name now leads to another file
    }
    return fd;
}

} // namespace

int writeInPlace(const QByteArray &path, int target, int source)
{
    const int reader = openForReading(path, target);
    if (reader < 0)
        return -reader;
    QByteArray backupName;
    const int backup = createBeside(path, 0600, &backupName);
    if (backup < 0) {
        const int error = errno;
        ::close(reader);
        return error;
    }
    const int pending = registerPendingName(backupName.constData());
    int error = copyOver(reader, backup);
    ::close(reader);
    {
        const HeldStop held;
        bool keepBackup = false;
        if (error == 0) {
            error = copyOver(source, target);
            // Neither the new nor the old contents are then whole in the file; the backup is.
            keepBackup = error != 0 && copyOver(backup, target) != 0;
        }
        if (!keepBackup)
            ::unlink(backupName.constData());
        releasePendingName(pending);
        ::close(backup);
    }
    return error;
}
