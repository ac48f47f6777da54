#include "export/workbookfile.h"

#include "export/exporterrors.h"
#include "export/fileerror.h"
#include "platform/runtimeerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>
#include <fcntl.h>
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

QString reserveWorkbookFile(const QString &folder)
{
    for (int number = 1; number <= maxWorkbookNumber; ++number) {
        const QString path =
            QDir(folder).filePath(QStringLiteral("Folder Sizes %1.xlsx").arg(number));
        const int fd = ::open(QFile::encodeName(path).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            return path;
        }
        if (errno != EEXIST)
            throw fileError(errno, path);
    }
    throw RuntimeError(
        ExportErrorNumber::PathFileAccessError,
        QStringLiteral("Path/File access error: no free workbook name in %1").arg(folder));
}
