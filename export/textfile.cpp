#include "export/textfile.h"

#include "export/exporterrors.h"
#include "export/fileerror.h"
#include "platform/runtimeerror.h"

#include <QFile>
#include <QStringEncoder>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

void WriteTextFile(const QString &text, const QString &path)
{
    if (path.isEmpty())
        throw RuntimeError(ExportErrorNumber::PathFileAccessError,
                           QStringLiteral("Path/File access error: no file name given"));

    QStringEncoder encoder(QStringConverter::System);
    const QByteArray bytes = encoder.encode(text);

    const int fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        throw fileError(errno, path);

    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            const int error = written < 0 ? errno : ENOSPC;
            ::close(fd);
            throw fileError(error, path);
        }
        data += written;
        left -= written;
    }
    // Network and quota-limited file systems may report a failed write only here.
    if (::close(fd) != 0)
        throw fileError(errno, path);
}
