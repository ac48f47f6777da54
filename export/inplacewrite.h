#pragma once

#include <QByteArray>

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
// is left alone and the save refused (EEXIST).
int writeInPlace(const QByteArray &path, int target, int source);
