#pragma once

#include <QByteArray>
#include <QString>
#include <sys/types.h>

// Saving a user's file so that a failure never costs the file it replaces, and a success
// changes nothing but its contents.
//
// The name is followed as opening it for output would (see resolveSaveTarget): through
// symbolic links, also a dangling one, whose file is then created, but not through a link
// someone else planted in a shared sticky folder (EACCES). An existing target must be a
// regular file we may write, checked by opening it for writing without changing it, so a
// read-only file is refused (EACCES) just as a plain write refuses it, and a FIFO or device
// at the name is refused unopened.
//
// The bytes go to a new file in the target's folder that has no name while it is written
// (O_TMPFILE; where the file system has none, an unpredictable name that a stop by SIGINT,
// SIGTERM or SIGHUP removes). Every write, the flush to disk (fsync) and the close are
// checked. Then:
// - an existing file is replaced by a rename when the new file can be given all its access:
//   owner and group, permission bits, ACL and extended attributes (see keepAccess);
// - otherwise, and for a file with more than one hard link, the old file is overwritten in
//   place, with its old contents kept in a backup beside it until the new ones are on disk
//   (see writeInPlace), so every name and every kept attribute stays;
// - a new file gets newFileMode less the umask (or the folder's default ACL).
// On any failure nothing new is left behind and an existing target keeps its old contents.
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

// How the target's name is taken.
enum class SaveName {
    Followed, // as opening it for output would, as above: a user's file
    // The entry itself is replaced by the new file, whatever it is: a symbolic or hard link
    // planted at the name (in a shared folder such as /tmp) is replaced as a name and its
    // target never written. For a file of the program's own at a fixed name.
    Replaced,
};

// Replaces `target` with exactly `bytes`. The path is the file system's bytes; the QString
// form encodes it with QFile::encodeName. An empty target fails with ENOENT.
SaveResult safeSave(const QByteArray &target, const QByteArray &bytes, mode_t newFileMode = 0666,
                    SaveName name = SaveName::Followed);
SaveResult safeSave(const QString &target, const QByteArray &bytes, mode_t newFileMode = 0666,
                    SaveName name = SaveName::Followed);

// A save in two halves, for writers that open a file by name themselves: the constructor
// makes the new file, the writer fills newFileName(), commit() puts it in place. An
// uncommitted save removes its new file when it is discarded or destroyed.
class PendingSave {
public:
    explicit PendingSave(const QByteArray &target, mode_t newFileMode = 0666,
                         SaveName name = SaveName::Followed);
    explicit PendingSave(const QString &target, mode_t newFileMode = 0666,
                         SaveName name = SaveName::Followed);
    ~PendingSave();
    PendingSave(const PendingSave &) = delete;
    PendingSave &operator=(const PendingSave &) = delete;

    // Whether the new file could be made; when not, nothing else here does anything.
    SaveResult status() const { return m_status; }
    // A name that opens the new file (for a nameless one, /proc/self/fd/N, valid in this
    // process only); empty when it could not be made.
    QByteArray newFileName() const { return m_newFile; }
    // The new file's open descriptor, -1 when there is none.
    int fd() const { return m_fd; }

    // Appends every byte to the new file; a failure discards it.
    SaveResult write(const QByteArray &bytes);
    // Flushes and puts the new contents in place; a failure discards them.
    SaveResult commit();
    void discard();

private:
    bool openOld();
    bool makeNewFile(mode_t mode);
    SaveResult replace();
    SaveResult fail(SaveResult result);

    QByteArray m_target; // the file to replace, links already followed
    QByteArray m_newFile;
    int m_fd = -1;
    int m_old = -1;         // the existing target, open for writing
    bool m_named = false;   // m_newFile is a real name in the folder, to remove on failure
    int m_pendingName = -1; // its entry among the names a stop removes
    bool m_inPlace = false; // the old file is overwritten rather than replaced
    SaveResult m_status;
};
