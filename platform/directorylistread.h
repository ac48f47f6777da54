#pragma once

// The listing itself, for the list's own reads and for a test's. Include only where a
// BasicDirectoryList is instantiated.

#include "platform/directorylist.h"
#include "platform/nativepath.h"
#include "platform/runtimeerror.h"
#include "posix/pathtext.h"

#include <algorithm>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace directorylistdetail {

struct DirCloser {
    void operator()(DIR *dir) const { closedir(dir); }
};

// A file system that does not report the type leaves it to a stat of the entry itself.
inline bool isRealDirectory(int dirFd, const dirent *entry)
{
    if (entry->d_type == DT_DIR)
        return true;
    if (entry->d_type != DT_UNKNOWN)
        return false;
    struct stat st;
    return fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
}

// Names of the real subdirectories of path, or nullopt when it cannot be opened.
template<typename Reads> std::optional<QStringList> subdirectoryNames(const QString &path)
{
    if (path.contains(QChar(0)))
        return std::nullopt; // cutting the text at the NUL would list another folder
    const int fd = open(nativePath(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::unique_ptr<DIR, DirCloser> dir(fdopendir(fd));
    if (!dir) {
        close(fd);
        return std::nullopt;
    }
    QStringList names;
    while (const dirent *entry = Reads::read(dir.get())) {
        if (!isDot(entry->d_name) && isRealDirectory(fd, entry))
            names.append(pathFromNative(QByteArray(entry->d_name)));
    }
    return names;
}

} // namespace directorylistdetail

template<typename Reads> void BasicDirectoryList<Reads>::setPath(const QString &path)
{
    const QString normalized = normalizedFolderPath(path);
    const auto names = normalized.isEmpty()
                           ? std::nullopt
                           : directorylistdetail::subdirectoryNames<Reads>(normalized);
    if (!names)
        throw RuntimeError(RuntimeErrorNumber::PathNotFound, QStringLiteral("Path not found"));

    QStringList sorted = *names;
    std::sort(sorted.begin(), sorted.end(), [](const QString &a, const QString &b) {
        const int order = a.compare(b, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a < b; // a stable order for names equal but for case
    });

    const QString prefix = normalized == QLatin1String("/") ? normalized : normalized + u'/';
    m_entries.clear();
    m_entries.reserve(sorted.size());
    for (const QString &name : sorted)
        m_entries.append(prefix + name);
    m_path = normalized;
}
