#include "app/cli/outputtarget.h"

#include "app/cli/commandline.h"
#include "platform/nativepath.h"

#include <QRegularExpression>
#include <QSet>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <libgen.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QByteArray identity(const struct stat &status)
{
    return QByteArray::number(quint64(status.st_dev)) + ':' +
           QByteArray::number(quint64(status.st_ino));
}

QByteArray folderOf(const QByteArray &path)
{
    QByteArray copy = path;
    return QByteArray(::dirname(copy.data()));
}

QByteArray baseNameOf(const QByteArray &path)
{
    QByteArray copy = path;
    return QByteArray(::basename(copy.data()));
}

// Whether a new file can be made in folder; the reason when not.
QString folderProblem(const QByteArray &folder, struct stat &status)
{
    if (::stat(folder.constData(), &status) != 0)
        return systemReason(errno);
    if (!S_ISDIR(status.st_mode))
        return systemReason(ENOTDIR);
    if (::access(folder.constData(), W_OK | X_OK) != 0)
        return systemReason(errno);
    return {};
}

bool isTerminal(const QByteArray &device)
{
    const int fd = ::open(device.constData(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool terminal = ::isatty(fd) == 1;
    ::close(fd);
    return terminal;
}

// Fills target for its file and names the file it writes in key; the reason when it cannot
// be written.
QString classify(OutputTarget &target, QByteArray &key)
{
    struct stat status {};
    target.fd = descriptorNamed(target.file);
    if (target.fd >= 0) {
        target.kind = OutputTarget::Kind::Stream;
        const int flags = ::fcntl(target.fd, F_GETFL);
        if (flags < 0 || ::fstat(target.fd, &status) != 0)
            return target.fd == STDOUT_FILENO
                       ? QStringLiteral("standard output is closed")
                       : QStringLiteral("descriptor %1 is not open").arg(target.fd);
        if ((flags & O_ACCMODE) == O_RDONLY)
            return QStringLiteral("descriptor %1 is not open for writing").arg(target.fd);
        if (target.binary && ::isatty(target.fd) == 1)
            return QStringLiteral("it is a terminal; redirect standard output to a file or a "
                                  "pipe");
        key = identity(status);
        return {};
    }

    target.path = nativePath(target.file);
    if (::stat(target.path.constData(), &status) == 0) {
        if (S_ISDIR(status.st_mode))
            return QStringLiteral("it is a folder");
        key = identity(status);
        if (S_ISREG(status.st_mode)) {
            char *real = ::realpath(target.path.constData(), nullptr);
            const QByteArray resolved = real ? QByteArray(real) : target.path;
            std::free(real);
            struct stat folder {};
            return folderProblem(folderOf(resolved), folder);
        }
        if (!S_ISFIFO(status.st_mode) && !S_ISCHR(status.st_mode))
            return QStringLiteral("it is not a regular file, a FIFO or a character device");
        target.kind = OutputTarget::Kind::Stream;
        if (::access(target.path.constData(), W_OK) != 0)
            return systemReason(errno);
        if (target.binary && S_ISCHR(status.st_mode) && isTerminal(target.path))
            return QStringLiteral("it is a terminal");
        return {};
    }
    if (errno != ENOENT)
        return systemReason(errno);
    // A new name is known by its folder and its name there. (A link that leads nowhere is
    // replaced by the new file, not written through.)
    const QByteArray created = target.path;
    struct stat folder {};
    const QString problem = folderProblem(folderOf(created), folder);
    if (!problem.isEmpty())
        return problem;
    key = identity(folder) + '/' + baseNameOf(created);
    return {};
}

} // namespace

int descriptorNamed(const QString &file)
{
    if (file == CommandLine::StandardOutput || file == QStringLiteral("/dev/stdout"))
        return STDOUT_FILENO;
    if (file == QStringLiteral("/dev/stderr"))
        return STDERR_FILENO;
    static const QRegularExpression numbered(
        QStringLiteral("^/(?:dev/fd|proc/self/fd|proc/thread-self/fd)/([0-9]{1,9})$"));
    const QRegularExpressionMatch match = numbered.match(file);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

QString checkOutputTargets(const CommandLine &line, QList<OutputTarget> &targets)
{
    using Format = OutputTarget::Format;
    const struct {
        Format format;
        const QString &file;
    } outputs[] = {{Format::Text, line.textFile},
                   {Format::Jpg, line.jpgFile},
                   {Format::Xlsx, line.xlsxFile},
                   {Format::Json, line.jsonFile},
                   {Format::Json, line.saveScanFile}};
    QHash<QByteArray, QString> written;
    targets.clear();
    for (const auto &output : outputs) {
        if (output.file.isEmpty())
            continue;
        OutputTarget target;
        target.format = output.format;
        target.file = output.file;
        target.binary = output.format == Format::Jpg || output.format == Format::Xlsx;
        QByteArray key;
        const QString problem = classify(target, key);
        if (!problem.isEmpty())
            return QStringLiteral("cannot write %1: %2").arg(displayPath(output.file), problem);
        if (written.contains(key))
            return QStringLiteral("two outputs would write one file: %1 and %2")
                .arg(displayPath(written.value(key)), displayPath(output.file));
        written.insert(key, output.file);
        targets.append(target);
    }
    return {};
}
