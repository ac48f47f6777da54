#include "app/outputfile.h"

#include "app/commandline.h"
#include "export/safesave.h"
#include "platform/nativepath.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>

namespace {

QString reason(const SaveResult &result)
{
    if (result.notRegularFile)
        return result.error == EISDIR ? QStringLiteral("it is a folder")
                                      : QStringLiteral("it is not a regular file");
    return QString::fromLocal8Bit(std::strerror(result.error));
}

bool told(const QString &file, const SaveResult &result)
{
    if (!result.ok())
        tellError(QStringLiteral("cannot write %1: %2").arg(displayPath(file), reason(result)));
    return result.ok();
}

bool writeStandardOutput(const QByteArray &bytes)
{
    const bool written =
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) == size_t(bytes.size());
    // A pipe or a full disk may refuse only when the buffer is flushed.
    if (std::fflush(stdout) == 0 && written)
        return true;
    tellError(QStringLiteral("cannot write standard output: %1")
                  .arg(QString::fromLocal8Bit(std::strerror(errno))));
    return false;
}

} // namespace

void tellError(const QString &message)
{
    std::fprintf(stderr, "quorvane: %s\n", message.toLocal8Bit().constData());
}

bool writeOutput(const QString &file, const std::function<QByteArray()> &make)
{
    QByteArray bytes;
    try {
        bytes = make();
    } catch (const std::exception &error) {
        tellError(QStringLiteral("cannot write %1: %2")
                      .arg(displayPath(file), QString::fromUtf8(error.what())));
        return false;
    }
    if (file == CommandLine::StandardOutput)
        return writeStandardOutput(bytes);
    return told(file, safeSave(nativePath(file), bytes));
}

bool writeOutputThrough(const QString &file, const std::function<void(const QByteArray &)> &write)
{
    PendingSave pending(nativePath(file));
    if (!told(file, pending.status()))
        return false;
    try {
        write(pending.newFileName());
    } catch (const std::exception &error) {
        // The new file goes with `pending`; whatever stood at `file` stays.
        tellError(QStringLiteral("cannot write %1: %2")
                      .arg(displayPath(file), QString::fromUtf8(error.what())));
        return false;
    }
    return told(file, pending.commit());
}
