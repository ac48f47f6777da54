#pragma once

#include <QByteArray>
#include <QString>
#include <sys/types.h>

// Saving a user's file so that a failure never costs the file it replaces.
//
// The bytes go to a new file created exclusively under an unpredictable name in the
// target's folder; every write, the flush to disk (fsync) and the close are checked, and
// only then is the new file renamed over the target. On any failure the new file is
// removed and an existing target keeps its old contents. The existing target is never
// opened, so a FIFO or device at that name cannot block the caller.
//
// The new file takes the existing target's permission bits (and, where allowed, its owner
// and group); a file that did not exist gets newFileMode less the umask. A target that is
// a symbolic link to a regular file is written through: the link stays and the file it
// leads to is replaced; in a shared sticky folder such as /tmp only a link of our own or of
// the folder's owner is followed (EACCES otherwise), as the kernel itself rules for opening
// one. The target's folder must accept a new file.
//
// Nothing here throws; every function may be called from any thread.

// What a save ended with.
struct SaveResult {
    // 0 when saved; otherwise the errno of the step that failed (ENOSPC, EDQUOT, EIO, EACCES,
    // EROFS, ENOENT, ENOTDIR, ENAMETOOLONG, ...). A write that writes nothing counts as ENOSPC.
    int error = 0;
    // The target exists and is a folder (error is EISDIR) or a FIFO, device or socket (error
    // is EINVAL); it was refused without being opened.
    bool notRegularFile = false;

    bool ok() const { return error == 0; }
};

// Replaces `target` with exactly `bytes`. The path is the file system's bytes; the QString
// form encodes it with QFile::encodeName. An empty target fails with ENOENT.
SaveResult safeSave(const QByteArray &target, const QByteArray &bytes, mode_t newFileMode = 0666);
SaveResult safeSave(const QString &target, const QByteArray &bytes, mode_t newFileMode = 0666);

// A save in two halves, for writers that open a file by name themselves: the constructor
// makes the new file, the writer fills newFileName(), commit() puts it in place. An
// uncommitted save removes its new file when it is discarded or destroyed.
class PendingSave {
public:
    explicit PendingSave(const QByteArray &target, mode_t newFileMode = 0666);
    explicit PendingSave(const QString &target, mode_t newFileMode = 0666);
    ~PendingSave();
    PendingSave(const PendingSave &) = delete;
    PendingSave &operator=(const PendingSave &) = delete;

    // Whether the new file could be made; when not, nothing else here does anything.
    SaveResult status() const { return m_status; }
    // The new file beside the target, empty when it could not be made.
    QByteArray newFileName() const { return m_newFile; }
    // The new file's open descriptor, -1 when there is none.
    int fd() const { return m_fd; }

    // Appends every byte to the new file; a failure discards it.
    SaveResult write(const QByteArray &bytes);
    // Flushes, closes and renames the new file over the target; a failure discards it.
    SaveResult commit();
    void discard();

private:
    SaveResult fail(SaveResult result);

    QByteArray m_target; // the file to replace, links already followed
    QByteArray m_newFile;
    int m_fd = -1;
    SaveResult m_status;
};
