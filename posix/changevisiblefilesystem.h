#pragma once

// Whether every change to an open folder's file system passes through this machine's kernel,
// so that inotify reports it. Only local disk and memory file systems qualify (ext2/3/4, xfs,
// btrfs, tmpfs, f2fs, vfat, ...): on network file systems (NFS, CIFS/SMB, ceph, AFS), FUSE
// (and virtiofs, which reports FUSE), overlay, 9p and on any type not listed, another machine,
// process or layer can change files without an event, so nothing learned of them is kept
// up to date by inotify (sizes are never remembered, folders are not followed in the tree).
bool changesVisibleToInotify(int dirFd);
