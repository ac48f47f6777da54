#include "app/cli/savescan.h"

#include "app/cli/commandline.h"
#include "app/cli/outputfile.h"
#include "app/cli/outputtarget.h"
#include "platform/nativepath.h"
#include "posix/fullwrite.h"
#include "scanfile/scanfilewrite.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace {

// Every byte written, or an exception with the system's reason.
void writeChunk(int fd, std::string_view text)
{
    if (const int error = writeAll(fd, text.data(), text.size()))
        throw std::runtime_error(std::strerror(error));
}

void saveTo(int fd, const QString &folder)
{
    writeScanFile(nativePath(folder).toStdString(), QUORVANE_VERSION,
                  [fd](std::string_view chunk) { writeChunk(fd, chunk); });
}

} // namespace

int runSaveScan(const CommandLine &line, const QString &folder)
{
    QList<OutputTarget> targets;
    if (const QString problem = checkOutputTargets(line, targets); !problem.isEmpty()) {
        tellError(problem);
        return 2;
    }
    // A reader that goes away is then a failed write (EPIPE) told as such.
    std::signal(SIGPIPE, SIG_IGN);
    const OutputTarget &target = targets.first();
    const QString failed = QStringLiteral("cannot save a scan of %1 to %2: %3")
                               .arg(displayPath(folder), displayPath(target.file));
    try {
        if (target.kind == OutputTarget::Kind::Stream && target.fd >= 0) {
            saveTo(target.fd, folder);
            return 0;
        }
        return writeOutputThrough(target,
                                  [&](const QByteArray &name) {
                                      const int fd =
                                          ::open(name.constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
                                      if (fd < 0)
                                          throw std::runtime_error(std::strerror(errno));
                                      try {
                                          saveTo(fd, folder);
                                      } catch (...) {
                                          ::close(fd);
                                          throw;
                                      }
                                      if (::close(fd) != 0)
                                          throw std::runtime_error(std::strerror(errno));
                                  })
                   ? 0
                   : 1;
    } catch (const std::exception &error) {
        tellError(failed.arg(QString::fromLocal8Bit(error.what())));
        return 1;
    }
}
