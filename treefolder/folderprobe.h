#pragma once

#include <QString>
#include <optional>
#include <sys/stat.h>

// Whether a folder has at least one real subfolder (symbolic links do not count). Stops at the
// first one found, so a folder of many entries costs no more than reading up to it; where the
// folder's link count answers (below) nothing is read at all.
// nullopt when the folder cannot be opened.
std::optional<bool> hasSubfolder(const QString &path);

// On file systems whose folders count each subfolder's ".." among their links (ext2 to ext4,
// XFS, tmpfs) a folder with n subfolders has n + 2 links. Whether the file system holding the
// open folder fd is one of them.
bool linkCountsSubfolders(int fd);
// What a folder's status says on such a file system: nullopt when it does not tell (a link
// count below 2, as ext4 gives a folder of more than 65,000 subfolders).
std::optional<bool> subfoldersByLinkCount(const struct stat &folder);
