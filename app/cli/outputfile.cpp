#include "app/cli/outputfile.h"

#include "export/safesave.h"
#include "platform/nativepath.h"
#include "posix/fullwrite.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <new>
#include <poll.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

const QString OutOfMemory = QStringLiteral("out of memory");

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString reason(const SaveResult &result)
{
    if (result.notRegularFile)
        return result.error == EISDIR ? QStringLiteral("it is a folder")
                                      : QStringLiteral("it is not a regular file");
    return systemReason(result.error);
}

bool fail(const OutputTarget &target, const QString &why)
{
    tellError(QStringLiteral("cannot write %1: %2").arg(displayPath(target.file), why));
    return false;
}

bool told(const OutputTarget &target, const SaveResult &result)
{
    return result.ok() || fail(target, reason(result));
}

// Opens a FIFO or device named on the command line. A FIFO nobody reads yet refuses a
// non-blocking open (ENXIO): it is tried again until a reader comes or readerWait is over.
int openStream(const OutputTarget &target, std::chrono::milliseconds readerWait, int &error,
               bool &fifo)
{
    const Clock::time_point giveUp = Clock::now() + readerWait;
    for (;;) {
        const int fd =
            ::open(target.path.constData(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) {
            // From here on a slow reader is waited for, as any writer of a pipe does.
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
            return fd;
        }
        error = errno;
        if (error == EINTR)
            continue;
        // Only a FIFO's ENXIO passes when a reader comes; a device's stays.
        struct stat status {};
        fifo = ::stat(target.path.constData(), &status) == 0 && S_ISFIFO(status.st_mode);
        if (error != ENXIO || !fifo || Clock::now() >= giveUp)
            return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

bool writeStream(const OutputTarget &target, const QByteArray &bytes,
                 std::chrono::milliseconds readerWait)
{
    int fd = target.fd;
    if (fd < 0) {
        int error = 0;
        bool fifo = false;
        fd = openStream(target, readerWait, error, fifo);
        if (fd < 0 && error == ENXIO)
            return fail(target, fifo ? QStringLiteral("nobody opened the FIFO for reading "
                                                      "within %1 seconds")
                                           .arg(readerWait.count() / 1000.0)
                                     : QStringLiteral("no device answers at that name (%1)")
                                           .arg(systemReason(ENXIO)));
        if (fd < 0)
            return fail(target, systemReason(error));
    }
    int error = writeAll(fd, bytes.constData(), size_t(bytes.size()));
    if (fd != target.fd && ::close(fd) != 0 && error == 0 && errno != EINTR)
        error = errno;
    if (error == EPIPE)
        return fail(
            target,
            QStringLiteral("the reader closed it before the end (%1)").arg(systemReason(EPIPE)));
    return error == 0 || fail(target, systemReason(error));
}

} // namespace

void tellError(const QString &message)
{
    std::fprintf(stderr, "quorvane: %s\n", message.toLocal8Bit().constData());
}

bool writeOutput(const OutputTarget &target, const std::function<QByteArray()> &make,
                 std::chrono::milliseconds readerWait)
{
    QByteArray bytes;
    try {
        bytes = make();
    } catch (const std::bad_alloc &) {
        return fail(target, OutOfMemory);
    } catch (const std::exception &error) {
        return fail(target, QString::fromUtf8(error.what()));
    }
    if (target.kind == OutputTarget::Kind::Stream)
        return writeStream(target, bytes, readerWait);
    return told(target, safeSave(target.path, bytes));
}

bool writeOutputThrough(const OutputTarget &target,
                        const std::function<void(const QByteArray &)> &write)
{
    if (target.kind == OutputTarget::Kind::Stream) {
        // The writer wants a file: a scratch one, then its bytes go to the stream.
        QTemporaryFile scratch(QDir::tempPath() + QStringLiteral("/quorvane-XXXXXX"));
        if (!scratch.open())
            return fail(target, scratch.errorString());
        scratch.close();
        return writeOutput(target, [&] {
            write(QFile::encodeName(scratch.fileName()));
            QFile written(scratch.fileName());
            if (!written.open(QIODevice::ReadOnly))
                throw std::runtime_error(written.errorString().toStdString());
            return written.readAll();
        });
    }
    PendingSave pending(target.path);
    if (!told(target, pending.status()))
        return false;
    try {
        write(pending.newFileName());
    } catch (const std::bad_alloc &) {
        return fail(target, OutOfMemory);
    } catch (const std::exception &error) {
        // The new file goes with `pending`; whatever stood at the target stays.
        return fail(target, QString::fromUtf8(error.what()));
    }
    return told(target, pending.commit());
}
