#pragma once

#include "foldersize/scannode.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

// Which folder an open descriptor is, from what the kernel already knows: a network or FUSE
// file system is not asked, so this never waits on a server that stopped answering.
inline bool folderIdentity(int fd, dev_t &device, ino_t &inode)
{
    struct statx st;
    if (statx(fd, "", AT_EMPTY_PATH | AT_STATX_DONT_SYNC, STATX_INO, &st) != 0 ||
        !(st.stx_mask & STATX_INO))
        return false;
    device = makedev(st.stx_dev_major, st.stx_dev_minor);
    inode = st.stx_ino;
    return true;
}

// Notes which folder fd is before the scan gives it up with work below it still to do. A
// folder that cannot be told again is not opened again.
inline void identifyFolder(ScanNode &node, int fd)
{
    node.identified = folderIdentity(fd, node.device, node.inode);
}

inline bool sameFolder(int fd, const ScanNode &node)
{
    dev_t device;
    ino_t inode;
    return node.identified && folderIdentity(fd, device, inode) && device == node.device &&
           inode == node.inode;
}
