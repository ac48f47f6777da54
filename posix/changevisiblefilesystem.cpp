#include "posix/changevisiblefilesystem.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <sys/vfs.h>

namespace {

// statfs f_type values of local file systems whose every change is made by this kernel (see
// linux/magic.h). A list of those known to be safe rather than of those known to be unsafe:
// an unknown type is never trusted.
constexpr std::array<std::uint32_t, 20> LocalMagics = {
    0xef53,     // ext2, ext3, ext4
    0x58465342, // xfs
    0x9123683e, // btrfs
    0x01021994, // tmpfs
    0x858458f6, // ramfs
    0xf2f52010, // f2fs
    0x4d44,     // vfat, msdos
    0x2011bab0, // exfat
    0x5346544e, // ntfs
    0x7366746e, // ntfs3
    0x482b,     // hfsplus
    0x3153464a, // jfs
    0x52654973, // reiserfs
    0x3434,     // nilfs2
    0xca451a4e, // bcachefs
    0x2fc12fc1, // zfs
    0x73717368, // squashfs (read-only)
    0xe0f5e1e2, // erofs (read-only)
    0x9660,     // iso9660 (read-only)
    0x15013346, // udf
};

} // namespace

bool changesVisibleToInotify(int dirFd)
{
    struct statfs info;
    if (fstatfs(dirFd, &info) != 0)
        return false;
    const auto type = static_cast<std::uint32_t>(info.f_type);
    return std::find(LocalMagics.begin(), LocalMagics.end(), type) != LocalMagics.end();
}
