#include "treefolder/folderprobe.h"

#include "platform/nativepath.h"
#include "posix/pathtext.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/vfs.h>
#include <unistd.h>

bool linkCountsSubfolders(int fd)
{
    constexpr long Ext = 0xEF53; // ext2, ext3 and ext4 share it
    constexpr long Xfs = 0x58465342;
    constexpr long Tmpfs = 0x01021994;
    struct statfs fs;
    if (fstatfs(fd, &fs) != 0)
        return false;
    const long type = long(fs.f_type);
    return type == Ext || type == Xfs || type == Tmpfs;
}

std::optional<bool> subfoldersByLinkCount(const struct stat &folder)
{
    if (!S_ISDIR(folder.st_mode) || folder.st_nlink < 2)
        return std::nullopt;
    return folder.st_nlink > 2;
}

std::optional<bool> hasSubfolder(const QString &path)
{
    const int fd = open(nativePath(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat st;
    if (fstat(fd, &st) == 0 && linkCountsSubfolders(fd)) {
        if (const std::optional<bool> counted = subfoldersByLinkCount(st)) {
            close(fd);
            return counted;
        }
    }
    DIR *dir = fdopendir(fd);
    if (!dir) {
        close(fd);
        return std::nullopt;
    }
    bool found = false;
    while (const dirent *entry = readdir(dir)) {
        if (isDot(entry->d_name) || (entry->d_type != DT_DIR && entry->d_type != DT_UNKNOWN))
            continue;
        if (entry->d_type == DT_DIR ||
            (fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode))) {
            found = true;
            break;
        }
    }
    closedir(dir);
    return found;
}
