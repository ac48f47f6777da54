#pragma once

#include <cstdio>
#include <sys/types.h>
#include <unistd.h>

// The system calls of a save whose failure must never cost the old file. Tests swap one for
// a failing stand-in to show a fault that a file system will not produce on demand (a flush
// or rename that fails, a full disk without the root needed to mount a small one); the
// program itself never changes them.
struct SaveCalls {
    ssize_t (*write)(int fd, const void *data, size_t size) = ::write;
    int (*fsync)(int fd) = ::fsync;
    int (*rename)(const char *from, const char *to) = ::rename;
    // Whether a new file starts without a name (O_TMPFILE) where the file system allows it.
    bool nameless = true;
};

SaveCalls &saveCalls();
