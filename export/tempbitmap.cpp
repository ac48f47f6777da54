#include "export/tempbitmap.h"

#include "export/exporterrors.h"
#include "export/fileerror.h"
#include "platform/runtimeerror.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <cerrno>
#include <fcntl.h>
#include <string>
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
        throw RuntimeError(ExportErrorNumber::InvalidPicture,
                           QStringLiteral("Invalid picture: nothing to save as %1").arg(path));

    // The bitmap goes to a new file of our own in the same folder, which is then renamed
    // over the name. rename() replaces the directory entry and never writes through it, so a
    // symbolic link - or a hard link - planted at the name cannot make us overwrite its
    // target. Opening the name with O_NOFOLLOW would still truncate a planted hard link's
    // file, and unlink-then-O_EXCL leaves a moment with no file or a half-written one; the
    // rename gives readers either the old bitmap or the complete new one.
    const QString folder = QFileInfo(path).absolutePath();
    std::string scratch = QFile::encodeName(folder).toStdString() + "/.Chart.bmp.XXXXXX";
    const int fd = ::mkostemp(scratch.data(), O_CLOEXEC);
    if (fd < 0)
        throw fileError(errno, path);
    try {
        writeAll(fd, bytes, path);
    } catch (...) {
        ::close(fd);
        ::unlink(scratch.c_str());
        throw;
    }
    if (::close(fd) != 0 || ::rename(scratch.c_str(), QFile::encodeName(path).constData()) != 0) {
        const int error = errno;
        ::unlink(scratch.c_str());
        throw fileError(error, path);
    }
}

QImage loadTempBitmap(const QString &path)
{
    // O_NONBLOCK keeps a FIFO planted at the name from hanging the window; it is then
    // refused as not a regular file.
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            throw RuntimeError(ExportErrorNumber::FileNotFound,
                               QStringLiteral("File not found: %1").arg(path));
        throw fileError(errno, path);
    }
    QFile file;
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        throw RuntimeError(
            ExportErrorNumber::PathFileAccessError,
            QStringLiteral("Path/File access error: %1 is not a regular file").arg(path));
    }
    file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    QImageReader reader(&file);
    const QImage picture = reader.read();
    if (picture.isNull())
        throw RuntimeError(
            ExportErrorNumber::InvalidPicture,
            QStringLiteral("Invalid picture: %1 (%2)").arg(path, reader.errorString()));
    return picture;
}

bool tempBitmapExists(const QString &path)
{
    struct stat status {};
    return !path.isEmpty() && ::lstat(QFile::encodeName(path).constData(), &status) == 0;
}
