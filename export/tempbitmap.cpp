#include "export/tempbitmap.h"

#include "export/fileerror.h"
#include "export/safesave.h"
#include "platform/runtimeerror.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString withoutTrailingSlashes(QString folder)
{
    while (folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder;
}

QString fallbackFolder()
{
    const QString runtime = QFile::decodeName(qgetenv("XDG_RUNTIME_DIR"));
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return runtime;
    const QString temp = withoutTrailingSlashes(QDir::tempPath());
    return temp.isEmpty() ? QStringLiteral("/tmp") : temp;
}

} // namespace

QString tempBitmapPath()
{
    const QString temp = QFile::decodeName(qgetenv("TEMP"));
    const QString folder = temp.isEmpty() ? fallbackFolder() : withoutTrailingSlashes(temp);
    return folder + QStringLiteral("/Chart.bmp");
}

void saveTempBitmap(const QImage &picture, const QString &path)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter encoder(&buffer, QByteArrayLiteral("bmp"));
    if (picture.isNull() || !encoder.write(picture))
        throw RuntimeError(RuntimeErrorNumber::InvalidPicture,
                           QStringLiteral("Invalid picture: nothing to save as %1").arg(path));

    // Opening the name would write through a symbolic or hard link planted there; the new
    // file replaces the name instead, and readers see the old bitmap or the complete new one.
    const SaveResult saved = safeSave(path, bytes, 0600, SaveName::Replaced);
    if (!saved.ok())
        throw fileError(saved.error, path);
}

QImage loadTempBitmap(const QString &path)
{
    // O_NONBLOCK keeps a FIFO planted at the name from hanging the window; it is then
    // refused as not a regular file.
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            throw RuntimeError(RuntimeErrorNumber::FileNotFound,
                               QStringLiteral("File not found: %1").arg(path));
        throw fileError(errno, path);
    }
    QFile file;
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        throw RuntimeError(
            RuntimeErrorNumber::PathFileAccessError,
            QStringLiteral("Path/File access error: %1 is not a regular file").arg(path));
    }
    file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    QImageReader reader(&file);
    const QImage picture = reader.read();
    if (picture.isNull())
        throw RuntimeError(
            RuntimeErrorNumber::InvalidPicture,
            QStringLiteral("Invalid picture: %1 (%2)").arg(path, reader.errorString()));
    return picture;
}

bool tempBitmapExists(const QString &path)
{
    struct stat status {};
    return !path.isEmpty() && ::lstat(QFile::encodeName(path).constData(), &status) == 0;
}
