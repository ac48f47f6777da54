#pragma once

#include <cstddef>
#include <sys/types.h>
#include <unistd.h>

// The write call used; a test hands in a failing stand-in for a fault a file system will not
// produce on demand.
using WriteCall = ssize_t (*)(int fd, const void *data, size_t size);

// Writes every byte to fd, going on after interrupted and partial writes, and waiting for
// room as a blocking descriptor would when fd was handed over non-blocking. 0 when all went;
// otherwise the errno that stopped it (a write that writes nothing counts as ENOSPC).
int writeAll(int fd, const char *data, std::size_t size, WriteCall write = ::write);
