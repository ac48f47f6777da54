#pragma once

#include "export/safesave.h"

#include <QByteArray>
#include <sys/stat.h>

// Where a save of a name goes, found as opening the name for output would find it.
struct SaveTarget {
    QByteArray path; // the name itself, or the file its chain of symbolic links leads to
    bool exists = false;
    struct stat status {};
};

// Follows symbolic links one by one as the kernel does: a link in a shared sticky folder
// (such as /tmp) is followed only when it is ours or the folder owner's, a dangling link
// leads to the file it names (which the save then creates), and a chain of more than 40
// links fails with ELOOP. A target that exists must be a regular file: a folder fails with
// EISDIR, a FIFO, device or socket with EINVAL, both marked notRegularFile.
SaveResult resolveSaveTarget(const QByteArray &name, SaveTarget *target);

// The folder part of a path: "." for a bare name, "/" for a name in the root.
QByteArray folderOf(const QByteArray &path);

// How much of a file's name the names of files made beside it keep: far below NAME_MAX.
inline constexpr qsizetype namePrefixLimit = 120;

// An unpredictable name beside `path`: ".name.<random>~" in the same folder.
QByteArray nameBeside(const QByteArray &path);

// Creates a new file, open for reading and writing, under an unpredictable name beside
// `path` (".name.<random>~"), never through a link; returns its descriptor and sets `name`,
// or returns -1 with errno set.
int createBeside(const QByteArray &path, mode_t mode, QByteArray *name);
