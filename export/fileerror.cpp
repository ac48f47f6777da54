#include "export/fileerror.h"

#include "export/exporterrors.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

RuntimeError fileError(int errnoValue, const QString &path)
{
    int number = ExportErrorNumber::DeviceIoError;
    QString kind = QStringLiteral("Device I/O error");
    switch (errnoValue) {
    case ENOENT:
    case ENOTDIR:
        number = ExportErrorNumber::PathNotFound;
        kind = QStringLiteral("Path not found");
        break;
    case EACCES:
    case EPERM:
    case EROFS:
        number = ExportErrorNumber::PermissionDenied;
        kind = QStringLiteral("Permission denied");
        break;
    case EISDIR:
    case ELOOP:
    case EEXIST:
    case ENXIO:
        number = ExportErrorNumber::PathFileAccessError;
        kind = QStringLiteral("Path/File access error");
        break;
    case ENOSPC:
    case EDQUOT:
        number = ExportErrorNumber::DiskFull;
        kind = QStringLiteral("Disk full");
        break;
    case ENAMETOOLONG:
        number = ExportErrorNumber::BadFileName;
        kind = QStringLiteral("Bad file name");
        break;
    default:
        break;
    }
    return RuntimeError(number,
                        QStringLiteral("%1: %2 (%3)")
                            .arg(kind, path, QString::fromLocal8Bit(std::strerror(errnoValue))));
}

void writeAll(int fd, const QByteArray &bytes, const QString &path)
{
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            throw fileError(written < 0 ? errno : ENOSPC, path);
        data += written;
        left -= written;
    }
}

RuntimeError saveError(const SaveResult &result, const QString &path)
{
    if (result.notRegularFile)
        return RuntimeError(
            ExportErrorNumber::PathFileAccessError,
            QStringLiteral("Path/File access error: %1 is not a regular file").arg(path));
    return fileError(result.error, path);
}
