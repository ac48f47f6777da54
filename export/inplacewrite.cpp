#include "export/inplacewrite.h"

#include "export/savecalls.h"
#include "export/savejournal.h"
#include "export/savetarget.h"
#include "export/stopcleanup.h"
#include "posix/fullwrite.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

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
        if (const int error = writeAll(to, chunk.constData(), size_t(got), saveCalls().write))
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

// Holds a write lock on the open file description of the old file: a second save of the same
// file (through any of its names, from any process of ours) waits until this one has
// finished, so two saves never mix. Waited for in short steps rather than with F_OFD_SETLKW,
// so that a lock some other program never lets go of fails the save instead of hanging it.
class FileLock {
public:
    enum Wait { Up30Seconds, NotAtAll };
    explicit FileLock(int fd, Wait wait = Up30Seconds) : m_fd(fd)
    {
        const int steps = wait == NotAtAll ? 0 : LockWaitSteps;
        for (int waited = 0;; ++waited) {
            struct flock lock {};
            lock.l_type = F_WRLCK;
            lock.l_whence = SEEK_SET;
            if (::fcntl(fd, F_OFD_SETLK, &lock) == 0) {
                m_locked = true;
                return;
            }
            if (errno == EINTR)
                continue;
            // A file system without such locks (some FUSE ones) still takes the save.
            if ((errno != EAGAIN && errno != EACCES) || waited == steps) {
                m_error = errno == EAGAIN || errno == EACCES ? EAGAIN : 0;
                return;
            }
            ::usleep(LockStepMicroseconds);
        }
    }
    ~FileLock()
    {
        if (!m_locked)
            return;
        struct flock lock {};
        lock.l_type = F_UNLCK;
        lock.l_whence = SEEK_SET;
        ::fcntl(m_fd, F_OFD_SETLK, &lock);
    }
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;
    int error() const { return m_error; }

private:
    static constexpr int LockStepMicroseconds = 20000;
    static constexpr int LockWaitSteps = 30 * 1000000 / LockStepMicroseconds;
    int m_fd;
    bool m_locked = false;
    int m_error = 0;
};

// Puts back the contents a killed save left in its backup, and removes it; 0 when there is
// none. Only a backup of ours is trusted: in a folder others may write, anyone could leave a
// file under that name.
int restoreLeftover(const QByteArray &backupName, int target)
{
    const int fd = ::open(backupName.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? 0 : errno;
    struct stat status {};
    int error = ::fstat(fd, &status) != 0 ? errno : 0;
    if (error == 0 &&
        (!S_ISREG(status.st_mode) || status.st_uid != ::geteuid() || status.st_nlink != 1))
        error = EEXIST; // not ours: left where it is, and the save refused
    if (error == 0) {
        const HeldStop held;
        error = copyOver(fd, target);
        if (error == 0)
            ::unlink(backupName.constData());
    }
    ::close(fd);
    return error;
}

// A complete copy of the old contents under the backup's own name, or an errno. Written under
// another name first, so that a backup found under its own name is always whole.
int makeBackup(const QByteArray &path, int target, const QByteArray &backupName, int *backup,
               int *pending)
{
    const int reader = openForReading(path, target);
    if (reader < 0)
        return -reader;
    QByteArray partName;
    *backup = createBeside(path, 0600, &partName);
    if (*backup < 0) {
        const int error = errno;
        ::close(reader);
        return error;
    }
    *pending = registerPendingName(partName.constData());
    int error = copyOver(reader, *backup);
    ::close(reader);
    if (error == 0 && ::rename(partName.constData(), backupName.constData()) != 0)
        error = errno;
    releasePendingName(*pending);
    if (error != 0) {
        ::unlink(partName.constData());
        ::close(std::exchange(*backup, -1));
        *pending = -1;
        return error;
    }
    *pending = registerPendingName(backupName.constData());
    return 0;
}

// Whether the backup is still there; one that cannot be looked at counts as there.
bool backupLeft(const QByteArray &backupName)
{
    struct stat status {};
    if (::lstat(backupName.constData(), &status) == 0)
        return true;
    return errno != ENOENT;
}

} // namespace

// Found at the next save of the file, or by the note of the save at the next start, the backup
// shows that a save was killed before it could finish (SIGKILL, a power cut), and that the
// file may hold a mix of old and new contents.
QByteArray inPlaceBackupName(const QByteArray &path, ino_t inode)
{
    const QByteArray folder = folderOf(path);
    return folder + (folder.endsWith('/') ? "" : "/") + '.' +
           path.mid(path.lastIndexOf('/') + 1).left(namePrefixLimit) + '.' +
           QByteArray::number(quint64(inode)) + ".backup~";
}

int restoreStoppedSave(const QByteArray &path, ino_t inode)
{
    const QByteArray backupName = inPlaceBackupName(path, inode);
    const int target = ::open(path.constData(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (target < 0) {
        const int error = errno;
        // Gone with its backup: nothing is left to put back.
        return backupLeft(backupName) ? error : 0;
    }
    int error = 0;
    {
        const FileLock lock(target, FileLock::NotAtAll);
        struct stat now {};
        if (lock.error() != 0)
            error = EINPROGRESS; // its save is under way in another instance
        else if (::fstat(target, &now) != 0)
            error = errno;
        else if (now.st_ino != inode) // the name leads to another file now
            error = backupLeft(backupName) ? ESTALE : 0;
        else
            error = restoreLeftover(backupName, target);
    }
    ::close(target);
    return error;
}

int writeInPlace(const QByteArray &path, int target, int source)
{
    const FileLock lock(target);
    if (lock.error() != 0)
        return lock.error();
    struct stat old {};
    if (::fstat(target, &old) != 0)
        return errno;
    const QByteArray backupName = inPlaceBackupName(path, old.st_ino);
    if (const int error = restoreLeftover(backupName, target))
        return error;
    const QByteArray note = noteSaveUnderWay(path, old);
    int backup = -1;
    int pending = -1;
    int error = makeBackup(path, target, backupName, &backup, &pending);
    if (error != 0) {
        forgetSave(note);
        return error;
    }
    {
        const HeldStop held;
        error = copyOver(source, target);
        // Neither the new nor the old contents are then whole in the file; the backup is.
        const bool keepBackup = error != 0 && copyOver(backup, target) != 0;
        if (!keepBackup) {
            ::unlink(backupName.constData());
            forgetSave(note); // a backup kept is put back at the next start
        }
        releasePendingName(pending);
        ::close(backup);
    }
    return error;
}
