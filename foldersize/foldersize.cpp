#include "foldersize/foldersize.h"

#include "foldersize/folderscan.h"
#include "foldersize/pseudofilesystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

SizeAmount FolderSize(const std::string &path, const FolderSizeYield &yield)
{
    SystemDirectoryReader reader;
    return FolderSizeReadBy(path, yield, reader);
}

int OpenScanRoot(const std::string &folder, struct stat &st)
{
    // The system cannot name a file with a NUL in it; cutting the text there would scan some
    // other folder.
    if (folder.find('\0') != std::string::npos)
        return -1;
    // The folder itself may be reached through a link: the user named it. Below it no link is
    // followed.
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return -1; // missing, not a folder, unreadable or a path over the system's limit
    if (fstat(fd, &st) != 0 || isKernelPseudoFilesystem(fd, st.st_dev)) {
        close(fd);
        return -1;
    }
    return fd;
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
