#include "foldersize/foldersize.h"

#include "foldersize/folderwalk.h"

#include <fcntl.h>

SizeAmount FolderSize(const std::string &path, const FolderSizeYield &yield)
{
    try {
        const std::string folder = AddBackslash(path);
        // The system cannot name a file with a NUL in it; cutting the text there would
        // scan some other folder.
        if (folder.find('\0') != std::string::npos)
            return {};
        // The folder itself may be reached through a link: the user named it. Below it no
        // link is followed.
        const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY);
        if (fd < 0)
            return {}; // missing, not a folder, unreadable or a path over the system's limit
        return FolderWalk(yield).run(fd);
    } catch (...) {
        return {}; // out of memory: nothing leaves the scanner
    }
}

std::string AddBackslash(std::string path)
{
    if (path.empty() || path.back() != '/')
        path.push_back('/');
    return path;
}

std::string TrimAtNul(std::string_view text)
{
    return std::string(text.substr(0, text.find('\0')));
}
