#include "export/fileerror.h"

#include <cerrno>
#include <cstring>

RuntimeError fileError(int errnoValue, const QString &path)
{
    int number = RuntimeErrorNumber::DeviceIoError;
    QString kind = QStringLiteral("Device I/O error");
    switch (errnoValue) {
    case ENOENT:
    case ENOTDIR:
        number = RuntimeErrorNumber::PathNotFound;
        kind = QStringLiteral("Path not found");
        break;
    case EACCES:
    case EPERM:
    case EROFS:
        number = RuntimeErrorNumber::PermissionDenied;
        kind = QStringLiteral("Permission denied");
        break;
    case EISDIR:
    case ELOOP:
    case EEXIST:
    case ENXIO:
        number = RuntimeErrorNumber::PathFileAccessError;
        kind = QStringLiteral("Path/File access error");
        break;
    case ENOSPC:
    case EDQUOT:
        number = RuntimeErrorNumber::DiskFull;
        kind = QStringLiteral("Disk full");
        break;
    case ENAMETOOLONG:
        number = RuntimeErrorNumber::BadFileName;
        kind = QStringLiteral("Bad file name");
        break;
    default:
        break;
    }
    return RuntimeError(number,
                        QStringLiteral("%1: %2 (%3)")
                            .arg(kind, path, QString::fromLocal8Bit(std::strerror(errnoValue))));
}

RuntimeError saveError(const SaveResult &result, const QString &path)
{
    if (result.notRegularFile)
        return RuntimeError(
            RuntimeErrorNumber::PathFileAccessError,
            QStringLiteral("Path/File access error: %1 is not a regular file").arg(path));
    return fileError(result.error, path);
}
