#pragma once

#include <sys/types.h>

// Whether an open directory lies on a kernel pseudo filesystem (proc, sysfs, devtmpfs,
// cgroup, debugfs, devpts, ...). Their files describe the running system rather than occupy
// storage (/proc/kcore alone reports 128 TB), so a size scan must not enter them.
// device is the directory's st_dev. An ordinary tmpfs such as /tmp or /dev/shm holds real
// files and is not a pseudo filesystem.
bool isKernelPseudoFilesystem(int dirFd, dev_t device);
