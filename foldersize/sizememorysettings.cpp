#include "foldersize/sizememorysettings.h"

#include "posix/smallfile.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Used when the limit cannot be read: the kernel's smallest default.
constexpr long FallbackWatchLimit = 8192;

bool allDigits(const char *name)
{
    if (!*name)
        return false;
    for (; *name; ++name) {
        if (!std::isdigit(static_cast<unsigned char>(*name)))
            return false;
    }
    return true;
}

// Watches held by one process: one "inotify wd:" line per watch in the fdinfo of each of its
// inotify descriptors.
long watchesOfProcess(const std::string &processDir)
{
    long count = 0;
    DIR *fds = opendir((processDir + "/fd").c_str());
    if (!fds)
        return 0;
    while (const dirent *entry = readdir(fds)) {
        if (!allDigits(entry->d_name))
            continue;
        char target[64];
        const std::string link = processDir + "/fd/" + entry->d_name;
        const ssize_t length = readlink(link.c_str(), target, sizeof target - 1);
        if (length <= 0)
            continue;
        target[length] = '\0';
        if (std::strcmp(target, "anon_inode:inotify") != 0)
            continue;
        const std::string info = readSmallFile((processDir + "/fdinfo/" + entry->d_name).c_str());
        for (std::size_t at = info.find("inotify wd:"); at != std::string::npos;
             at = info.find("inotify wd:", at + 1))
            ++count;
    }
    closedir(fds);
    return count;
}

long watchesOfThisUser()
{
    long count = 0;
    const uid_t user = getuid();
    DIR *processes = opendir("/proc");
    if (!processes)
        return 0;
    while (const dirent *entry = readdir(processes)) {
        if (!allDigits(entry->d_name))
            continue;
        const std::string processDir = std::string("/proc/") + entry->d_name;
        struct stat owner;
        if (stat(processDir.c_str(), &owner) != 0 || owner.st_uid != user)
            continue;
        count += watchesOfProcess(processDir);
    }
    closedir(processes);
    return count;
}

} // namespace

SizeMemorySettings SizeMemorySettings::fromEnvironment()
{
    SizeMemorySettings settings;
    const char *value = std::getenv("QUORVANE_SIZE_MEMORY");
    if (value && std::strcmp(value, "0") == 0)
        settings.enabled = false;
    return settings;
}

long freeWatchShare()
{
    const std::string text = readSmallFile("/proc/sys/fs/inotify/max_user_watches");
    const long limit = text.empty() ? FallbackWatchLimit : std::strtol(text.c_str(), nullptr, 10);
    const long free = limit - watchesOfThisUser();
    return free > 0 ? free / 2 : 0;
}
