#include "foldersize/pseudofilesystem.h"

#include "foldersize/smallfile.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

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
// A line of mountinfo reads "id parent major:minor root mountpoint options... - fstype ...".
bool isDevtmpfs(dev_t device)
{
    char wanted[32];
    std::snprintf(wanted, sizeof wanted, " %u:%u ", major(device), minor(device));
    const std::string table = readSmallFile("/proc/self/mountinfo");
    std::size_t lineStart = 0;
    while (lineStart < table.size()) {
        std::size_t lineEnd = table.find('\n', lineStart);
        if (lineEnd == std::string::npos)
            lineEnd = table.size();
        const std::string_view line(table.data() + lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 1;
        const std::size_t idsEnd = line.find(' ', line.find(' ') + 1);
        if (idsEnd == std::string_view::npos || !line.substr(idsEnd).starts_with(wanted))
            continue;
        const std::size_t separator = line.find(" - ");
        if (separator == std::string_view::npos)
            continue;
        const std::string_view rest = line.substr(separator + 3);
        return rest.substr(0, rest.find(' ')) == "devtmpfs";
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
