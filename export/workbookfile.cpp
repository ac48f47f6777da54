#include "export/workbookfile.h"

#include "export/fileerror.h"
#include "platform/runtimeerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Far more than anyone keeps; past it the folder is treated as full rather than searched on.
constexpr int maxWorkbookNumber = 9999;
} // namespace

QString defaultWorkbookFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir())
        return documents;
    return QDir::tempPath();
}

mode_t workbookFileMode(const QString &folder)
{
    struct stat status {};
    const bool shared = ::stat(QFile::encodeName(folder).constData(), &status) == 0 &&
                        (status.st_mode & S_ISVTX) && (status.st_mode & S_IWOTH);
    return shared ? 0600 : 0666;
}

QString reserveWorkbookFile(const QString &folder, mode_t mode)
{
    for (int number = 1; number <= maxWorkbookNumber; ++number) {
        const QString path =
            QDir(folder).filePath(QStringLiteral("Folder Sizes %1.xlsx").arg(number));
        const int fd = ::open(QFile::encodeName(path).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0) {
            ::close(fd);
            return path;
        }
        if (errno != EEXIST)
            throw fileError(errno, path);
    }
    throw RuntimeError(
        RuntimeErrorNumber::PathFileAccessError,
        QStringLiteral("Path/File access error: no free workbook name in %1").arg(folder));
}
