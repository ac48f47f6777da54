#pragma once

// Opens the subfolder name of the open folder dirFd for reading its entries, never through a
// symbolic link and never into a kernel pseudo filesystem. Returns the descriptor, or -1 with
// errno set (EMFILE or ENFILE when the process or system has no descriptor left).
//
// Where the kernel can refuse to cross into another mount, a folder on its parent's mount is
// opened with no further system call; only a mount point is checked for what it holds.
int OpenSubfolder(int dirFd, const char *name);

// For tests: makes every openat2 fail with error, as a kernel or a sandbox that refuses it
// does (0 lets it through again), and forgets an earlier refusal.
void RefuseOpenat2ForTesting(int error);
