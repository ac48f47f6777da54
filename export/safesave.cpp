#include "export/safesave.h"

#include "export/inplacewrite.h"
#include "export/keepaccess.h"
#include "export/savecalls.h"
#include "export/savetarget.h"
#include "export/stopcleanup.h"
#include "posix/fullwrite.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int linkAttempts = 64;

SaveResult failure(int error, bool notRegularFile = false)
{
    return SaveResult{error == 0 ? EIO : error, notRegularFile};
}

} // namespace

PendingSave::PendingSave(const QByteArray &target, mode_t newFileMode, SaveName name)
{
    if (name == SaveName::Replaced) {
        // The rename at the commit replaces the entry and never writes through it; a folder
        // at the name makes it fail.
        m_target = target;
        if (target.isEmpty())
            m_status = failure(ENOENT);
        else
            makeNewFile(newFileMode);
        return;
    }
    SaveTarget destination;
    m_status = resolveSaveTarget(target, &destination);
    if (!m_status.ok())
        return;
    m_target = destination.path;
    if (!destination.exists) {
        makeNewFile(newFileMode);
        return;
    }
    if (!openOld())
        return;
    struct stat old {};
    if (::fstat(m_old, &old) != 0) {
        fail(failure(errno));
        return;
    }
    if (!S_ISREG(old.st_mode)) {
        fail(failure(EINVAL, true));
        return;
    }
    if (!makeNewFile(0600))
        return;
    m_inPlace = old.st_nlink > 1 || !keepAccess(m_old, m_fd, old);
}

PendingSave::PendingSave(const QString &target, mode_t newFileMode, SaveName name)
    : PendingSave(QFile::encodeName(target), newFileMode, name)
{}

PendingSave::~PendingSave()
{
    discard();
}

// Opening the old file for writing asks the question a plain write asks - may we write it
// - with every rule the system has for it (mode, ACL, read-only mounts, immutable files, a
// running program), and changes nothing. O_NONBLOCK keeps a FIFO swapped in after the
// first look from blocking; it is then refused as not a regular file.
bool PendingSave::openOld()
{
    m_old = ::open(m_target.constData(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (m_old < 0) {
        m_status = failure(errno);
        return false;
    }
    ::fcntl(m_old, F_SETFL, 0);
    return true;
}

bool PendingSave::makeNewFile(mode_t mode)
{
    const QByteArray folder = folderOf(m_target);
    if (saveCalls().nameless) {
        m_fd = ::open(folder.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, mode);
        if (m_fd >= 0) {
            // Writers by name reach it through /proc; without /proc it gets a name at once.
            m_newFile = "/proc/self/fd/" + QByteArray::number(m_fd);
            if (::access(m_newFile.constData(), F_OK) == 0)
                return true;
            ::close(std::exchange(m_fd, -1));
        }
    }
    m_fd = createBeside(m_target, mode, &m_newFile);
    if (m_fd < 0) {
        fail(failure(errno));
        return false;
    }
    m_named = true;
    m_pendingName = registerPendingName(m_newFile.constData());
    return true;
}

SaveResult PendingSave::write(const QByteArray &bytes)
{
    if (m_fd < 0)
        return m_status.ok() ? failure(EBADF) : m_status;
    if (const int error =
            writeAll(m_fd, bytes.constData(), size_t(bytes.size()), saveCalls().write))
        return fail(failure(error));
    return {};
}

SaveResult PendingSave::commit()
{
    if (m_fd < 0)
        return m_status.ok() ? failure(EBADF) : m_status;
    if (m_inPlace) {
        const int error = writeInPlace(m_target, m_old, m_fd);
        discard();
        m_status = error == 0 ? SaveResult{} : failure(error);
        return m_status;
    }
    return replace();
}

SaveResult PendingSave::replace()
{
    // Network and quota-limited file systems may report a failed write only at the flush or
    // the close; a file renamed in place before they answer could be empty after a crash.
    if (saveCalls().fsync(m_fd) != 0)
        return fail(failure(errno));
    // A nameless file is named only now that it is complete, for the rename.
    for (int attempt = 0; !m_named && attempt < linkAttempts; ++attempt) {
        const QByteArray name = nameBeside(m_target);
        const int pending = registerPendingName(name.constData());
        if (::linkat(AT_FDCWD, m_newFile.constData(), AT_FDCWD, name.constData(),
                     AT_SYMLINK_FOLLOW) == 0) {
            m_newFile = name;
            m_named = true;
            m_pendingName = pending;
        } else {
            releasePendingName(pending);
            if (errno != EEXIST)
                return fail(failure(errno));
        }
    }
    if (!m_named)
        return fail(failure(EEXIST));
    const int fd = std::exchange(m_fd, -1);
    // After a successful fsync an interrupted close has still released the descriptor and
    // lost nothing.
    if (::close(fd) != 0 && errno != EINTR)
        return fail(failure(errno));
    if (saveCalls().rename(m_newFile.constData(), m_target.constData()) != 0)
        return fail(failure(errno));
    m_named = false;
    discard();

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
    if (m_old >= 0)
        ::close(std::exchange(m_old, -1));
    if (m_named)
        ::unlink(m_newFile.constData());
    releasePendingName(std::exchange(m_pendingName, -1));
    m_named = false;
    m_newFile.clear();
}

SaveResult PendingSave::fail(SaveResult result)
{
    discard();
    m_status = result;
    return result;
}

SaveResult safeSave(const QByteArray &target, const QByteArray &bytes, mode_t newFileMode,
                    SaveName name)
{
    PendingSave save(target, newFileMode, name);
    if (!save.status().ok())
        return save.status();
    if (const SaveResult written = save.write(bytes); !written.ok())
        return written;
    return save.commit();
}

SaveResult safeSave(const QString &target, const QByteArray &bytes, mode_t newFileMode,
                    SaveName name)
{
    return safeSave(QFile::encodeName(target), bytes, newFileMode, name);
}
