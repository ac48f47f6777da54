#include "platform/directorylist.h"

#include "platform/runtimeerror.h"

#include <QFile>
#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct DirCloser {
    void operator()(DIR *dir) const { closedir(dir); }
};

bool isDot(const char *name)
{
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

bool isRealDirectory(int dirFd, const dirent *entry)
{
    if (entry->d_type == DT_DIR)
        return true;
    if (entry->d_type != DT_UNKNOWN)
        return false;
    struct stat st;
    return fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
}

// Names of the real subdirectories of path, or nullopt when it cannot be opened.
std::optional<QStringList> subdirectoryNames(const QString &path)
{
    if (path.contains(QChar(0)))
        return std::nullopt; // cutting the text at the NUL would list another folder
    const QByteArray native = QFile::encodeName(path);
    int fd = open(native.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::unique_ptr<DIR, DirCloser> dir(fdopendir(fd));
    if (!dir) {
        close(fd);
        return std::nullopt;
    }
    QStringList names;
    while (const dirent *entry = readdir(dir.get())) {
        if (!isDot(entry->d_name) && isRealDirectory(fd, entry))
            names.append(QFile::decodeName(entry->d_name));
    }
    return names;
}

} // namespace

QString normalizedFolderPath(const QString &path)
{
    QString result = path;
    while (result.size() > 1 && result.endsWith(u'/'))
        result.chop(1);
    return result;
}

void DirectoryList::setPath(const QString &path)
{
    const QString normalized = normalizedFolderPath(path);
    const auto names = normalized.isEmpty() ? std::nullopt : subdirectoryNames(normalized);
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

QString DirectoryList::list(int index) const
{
    return index >= 0 && index < m_entries.size() ? m_entries.at(index) : QString();
}

void DirectoryList::refresh()
{
    if (!m_path.isEmpty())
        setPath(m_path);
}
