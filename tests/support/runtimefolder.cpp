#include "support/runtimefolder.h"

#include <QFile>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

QString userRuntimeFolder(const std::string &parent, uid_t user)
{
    const std::string folder = parent + "/.runtime-" + std::to_string(user);
    if ((::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) ||
        ::chown(folder.c_str(), user, gid_t(-1)) != 0)
        return {};
    return QFile::decodeName(folder.c_str());
}
