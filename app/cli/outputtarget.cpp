#include "app/cli/outputtarget.h"

#include "app/cli/commandline.h"
#include "export/savetarget.h"
#include "platform/nativepath.h"
#include "posix/offthread.h"

#include <QRegularExpression>
#include <QSet>
#include <cerrno>
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

// Opened as the write will open it, without waiting: a device that is not there (ENXIO,
// /dev/tty of a process without a terminal) fails now rather than after the scan.
QString deviceProblem(const OutputTarget &target)
{
    const int fd = ::open(target.path.constData(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == ENXIO
                   ? QStringLiteral("no device answers at that name (%1)").arg(systemReason(ENXIO))
                   : systemReason(errno);
    const bool terminal = ::isatty(fd) == 1;
    ::close(fd);
    if (target.binary && terminal)
        return QStringLiteral("it is a terminal");
    return {};
}

// What checking one output found.
struct Checked {
    OutputTarget target;
    QByteArray key; // names the file it writes: two outputs with one key would write one file
    QString problem;
};

Checked classifyDescriptor(Checked checked)
{
    OutputTarget &target = checked.target;
    struct stat status {};
    target.kind = OutputTarget::Kind::Stream;
    const int flags = ::fcntl(target.fd, F_GETFL);
    if (flags < 0 || ::fstat(target.fd, &status) != 0)
        checked.problem = target.fd == STDOUT_FILENO
                              ? QStringLiteral("standard output is closed")
                              : QStringLiteral("descriptor %1 is not open").arg(target.fd);
    else if ((flags & O_ACCMODE) == O_RDONLY)
        checked.problem = QStringLiteral("descriptor %1 is not open for writing").arg(target.fd);
    else if (target.binary && ::isatty(target.fd) == 1)
        checked.problem =
            QStringLiteral("it is a terminal; redirect standard output to a file or a pipe");
    else
        checked.key = identity(status);
    return checked;
}

// A FIFO, a device or something that cannot be written at all, at the end of target's links.
Checked classifySpecial(Checked checked)
{
    OutputTarget &target = checked.target;
    struct stat status {};
    if (::stat(target.path.constData(), &status) != 0) {
        checked.problem = systemReason(errno);
        return checked;
    }
    if (S_ISDIR(status.st_mode)) {
        checked.problem = QStringLiteral("it is a folder");
        return checked;
    }
    checked.key = identity(status);
    if (!S_ISFIFO(status.st_mode) && !S_ISCHR(status.st_mode)) {
        checked.problem = QStringLiteral("it is not a regular file, a FIFO or a character device");
        return checked;
    }
    target.kind = OutputTarget::Kind::Stream;
    if (::access(target.path.constData(), W_OK) != 0)
        checked.problem = systemReason(errno);
    else if (S_ISCHR(status.st_mode))
        checked.problem = deviceProblem(target);
    return checked;
}

// Fills the target for its file and the key of the file it writes; the reason when it cannot
// be written. A name is followed as the save will follow it, so a link that leads nowhere is
// known by the file it will create, in the folder where it will be created.
Checked classify(Checked checked)
{
    OutputTarget &target = checked.target;
    target.fd = descriptorNamed(target.file);
    if (target.fd >= 0)
        return classifyDescriptor(std::move(checked));

    target.path = nativePath(target.file);
    SaveTarget destination;
    const SaveResult resolved = resolveSaveTarget(target.path, &destination);
    if (resolved.notRegularFile)
        return classifySpecial(std::move(checked));
    if (!resolved.ok()) {
        checked.problem = systemReason(resolved.error);
        return checked;
    }
    struct stat folder {};
    checked.problem = folderProblem(folderOf(destination.path), folder);
    if (!checked.problem.isEmpty())
        return checked;
    checked.key = destination.exists ? identity(destination.status)
                                     : identity(folder) + '/' + baseNameOf(destination.path);
    return checked;
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
        Checked checked;
        checked.target.format = output.format;
        checked.target.file = output.file;
        checked.target.binary = output.format == Format::Jpg || output.format == Format::Xlsx;
        // Checked off this thread: a FILE on a mount that stopped answering would hold it.
        checked =
            callWithin<Checked>(line.timeout, [checked] { return classify(checked); })
                .value_or(Checked{
                    {},
                    {},
                    QStringLiteral("it did not answer within %1 s").arg(line.timeout.count())});
        if (!checked.problem.isEmpty())
            return QStringLiteral("cannot write %1: %2")
                .arg(displayPath(output.file), checked.problem);
        if (written.contains(checked.key))
            return QStringLiteral("two outputs would write one file: %1 and %2")
                .arg(displayPath(written.value(checked.key)), displayPath(output.file));
        written.insert(checked.key, output.file);
        targets.append(checked.target);
    }
    return {};
}
