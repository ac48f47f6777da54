#pragma once

#include <QByteArray>

// Overwrites the old file open for writing as `target` (named `path`) with the whole of the
// file open as `source`, for files a replacement would change: one with more hard links, or
// whose owner, ACL or attributes a new file could not be given. The old contents are first
// copied to a backup beside it and flushed; if the overwrite or its flush fails they are put
// back, and the backup is removed once either is on disk (kept, and the failure reported,
// only when even putting them back fails). A stop by signal is held until then. Returns 0
// or an errno: a file we may not read, so cannot back up, is refused (EACCES) untouched.
int writeInPlace(const QByteArray &path, int target, int source);
