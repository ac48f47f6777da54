#pragma once

#include <QByteArray>
#include <sys/types.h>

// Overwrites the old file open for writing as `target` (named `path`) with the whole of the
// file open as `source`, for files a replacement would change: one with more hard links, or
// whose owner, ACL or attributes a new file could not be given. The old contents are first
// copied to a backup beside it and flushed; if the overwrite or its flush fails they are put
// back, and the backup is removed once either is on disk (kept, and the failure reported,
// only when even putting them back fails). A stop by signal is held until then. Returns 0
// or an errno: a file we may not read, so cannot back up, is refused (EACCES) untouched.
//
// The whole write holds an open-file-description lock (F_OFD_SETLK) on the old file, so two
// saves of one file at once run one after the other, each whole (one waits up to 30 s, then
// fails with EAGAIN). The backup has one name per file, ".NAME.INODE.backup~", taken only
// once it is complete: one found at the next save is what a killed save (SIGKILL, a power
// cut) left, and its contents are put back before anything else is done; one we do not own
// is left alone and the save refused (EEXIST). The save is also noted (savejournal.h), so that
// the next start of the program puts back a backup even of a file never saved again.
int writeInPlace(const QByteArray &path, int target, int source);

// The backup's name for the file at path whose inode is `inode`.
QByteArray inPlaceBackupName(const QByteArray &path, ino_t inode);

// Puts back the backup a stopped in-place save of the file at path (inode `inode`) left, as the
// next save would; 0 when it was put back or none is left, EINPROGRESS while a save of the
// file is under way, ESTALE when the name leads to another file but the backup is still there,
// else an errno (the backup then stays).
int restoreStoppedSave(const QByteArray &path, ino_t inode);
