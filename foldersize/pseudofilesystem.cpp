#include "foldersize/pseudofilesystem.h"

#include "posix/mounttable.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <sys/statfs.h>
#include <sys/sysmacros.h>

namespace {

// statfs f_type values of the kernel's pseudo filesystems (see linux/magic.h).
constexpr std::array<std::uint32_t, 21> PseudoMagics = {
    0x9fa0,     // proc
    0x62656572, // sysfs
    0x1cd1,     // devpts
    0x27e0eb,   // cgroup
    0x63677270, // cgroup2
    0x64626720, // debugfs
    0x74726163, // tracefs
    0x73636673, // securityfs
    0xf97cff8c, // selinuxfs
    0x43415d53, // smackfs
    0x6165676c, // pstore
    0xde5e81e4, // efivarfs
    0xcafe4a11, // bpf
    0x62656570, // configfs
    0x65735543, // fusectl
    0x42494e4d, // binfmt_misc
    0x19800202, // mqueue
    0x6e736673, // nsfs
    0x7655821,  // resctrl
    0x67596969, // rpc_pipefs
    0x454d444d, // devmem
};
constexpr std::uint32_t TmpfsMagic = 0x01021994;

// devtmpfs reports the tmpfs magic number, so only the mount table tells /dev from /tmp.
bool isDevtmpfs(dev_t device)
{
    for (const MountLine &mount : parseMountTable(readMountTable())) {
        if (mount.major == major(device) && mount.minor == minor(device))
            return mount.fsType == "devtmpfs";
    }
    return false;
}

} // namespace

bool isKernelPseudoFilesystem(int dirFd, dev_t device)
{
    struct statfs fs;
    if (fstatfs(dirFd, &fs) != 0)
        return false; // cannot tell: count it like any other folder
    const auto magic = static_cast<std::uint32_t>(fs.f_type);
    if (magic == TmpfsMagic)
        return isDevtmpfs(device);
    return std::find(PseudoMagics.begin(), PseudoMagics.end(), magic) != PseudoMagics.end();
}
