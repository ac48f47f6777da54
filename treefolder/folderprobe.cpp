#include "treefolder/folderprobe.h"

#include "platform/nativepath.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isDot(const char *name)
{
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

} // namespace

std::optional<bool> hasSubfolder(const QString &path)
{
    const int fd = open(nativePath(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    DIR *dir = fdopendir(fd);
    if (!dir) {
        close(fd);
        return std::nullopt;
    }
    bool found = false;
    while (const dirent *entry = readdir(dir)) {
        if (isDot(entry->d_name) || (entry->d_type != DT_DIR && entry->d_type != DT_UNKNOWN))
            continue;
        struct stat st;
        if (entry->d_type == DT_DIR ||
            (fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode))) {
            found = true;
            break;
        }
    }
    closedir(dir);
    return found;
}
