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

    try {
        writeAll(fd, bytes, path);
    } catch (...) {
        ::close(fd);
        throw;
    }
    // Network and quota-limited file systems may report a failed write only here.
    if (::close(fd) != 0)
        throw fileError(errno, path);
}
