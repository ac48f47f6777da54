#include "export/desktopspreadsheetlocator.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTextStream>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

// Plain bytes, not a QString: the lookup thread may still read it while the program exits.
constexpr char xlsxMimeType[] = "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet";
constexpr std::chrono::seconds xdgMimeTimeout(5);
constexpr qsizetype maxOutput = 64 * 1024;

QStringList pathFolders()
{
    return QFile::decodeName(qgetenv("PATH")).split(QLatin1Char(':'), Qt::SkipEmptyParts);
}

// The default application's entry id, as xdg-utils knows it. A missing, failing or hanging
// xdg-mime is no default at all. Plain POSIX, so that it may run on any thread and be
// abandoned at exit.
QString queryXdgMime()
{
    const QByteArray program =
        QFile::encodeName(QStandardPaths::findExecutable(QStringLiteral("xdg-mime")));
    if (program.isEmpty())
        return {};
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    QByteArray query("query"), defaultWord("default"), mime(xlsxMimeType);
    QByteArray programArgument = program;
    char *arguments[] = {programArgument.data(), query.data(), defaultWord.data(), mime.data(),
                         nullptr};
    pid_t pid = 0;
    const int spawned =
        ::posix_spawn(&pid, program.constData(), &actions, nullptr, arguments, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (spawned != 0) {
        ::close(out[0]);
        return {};
    }

    QByteArray output;
    bool finished = false;
    const auto deadline = std::chrono::steady_clock::now() + xdgMimeTimeout;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd ready{out[0], POLLIN, 0};
        const int polled = left.count() > 0 ? ::poll(&ready, 1, int(left.count())) : 0;
        if (polled < 0 && errno == EINTR)
            continue;
        if (polled <= 0)
            break;
        char buffer[512];
        const ssize_t got = ::read(out[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        finished = got == 0;
        if (got <= 0)
            break;
        if (output.size() < maxOutput)
            output.append(buffer, got);
    }
    ::close(out[0]);
    if (!finished)
        ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!finished || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return {};
    return QString::fromLocal8Bit(output).section(QLatin1Char('\n'), 0, 0).trimmed();
}

// The Exec value of the [Desktop Entry] group; empty when the entry is hidden or has none.
QString desktopEntryExec(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QTextStream in(&file);
    bool inMainGroup = false;
    QString exec;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inMainGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inMainGroup)
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0)
            continue;
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        if (key == QLatin1String("Hidden") && value == QLatin1String("true"))
            return {};
        if (key == QLatin1String("Exec"))
            exec = value;
    }
    return exec;
}

} // namespace

DesktopSpreadsheetLocator::Desktop DesktopSpreadsheetLocator::systemDesktop()
{
    Desktop desktop;
    desktop.defaultEntryId = queryXdgMime;
    for (const QString &data :
         QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        desktop.applicationFolders.append(data + QStringLiteral("/applications"));
    desktop.searchPath = pathFolders();
    return desktop;
}

std::optional<SpreadsheetProgram> DesktopSpreadsheetLocator::find()
{
    if (auto program = fromDefaultEntry())
        return program;

    struct Candidate {
        QString name;
        QStringList arguments;
    };
    const Candidate candidates[] = {
        {QStringLiteral("localc"), {}},
        {QStringLiteral("libreoffice"), {QStringLiteral("--calc")}},
        {QStringLiteral("gnumeric"), {}},
    };
    for (const Candidate &candidate : candidates) {
        const QString found = executable(candidate.name);
        if (!found.isEmpty())
            return SpreadsheetProgram{found, candidate.arguments, -1};
    }
    return std::nullopt;
}

std::optional<SpreadsheetProgram> DesktopSpreadsheetLocator::fromDefaultEntry() const
{
    const QString id = m_defaultEntryId.within(m_desktop.defaultEntryWait).value_or(QString());
    if (id.isEmpty() || id.contains(QLatin1String("..")))
        return std::nullopt;

    // An id "vendor-app.desktop" may also live at vendor/app.desktop.
    QStringList relativeNames{id};
    if (id.contains(QLatin1Char('-')))
        relativeNames.append(QString(id).replace(QLatin1Char('-'), QLatin1Char('/')));
    for (const QString &folder : m_desktop.applicationFolders) {
        for (const QString &relative : relativeNames) {
            const QString entry = folder + QLatin1Char('/') + relative;
            if (!QFileInfo(entry).isFile())
                continue;
            // The first entry found for an id wins, even when it is unusable, as the
            // desktop itself would treat it.
            auto program = parseDesktopExec(desktopEntryExec(entry));
            if (!program)
                return std::nullopt;
            program->program = executable(program->program);
            if (program->program.isEmpty())
                return std::nullopt;
            return program;
        }
    }
    return std::nullopt;
}

QString DesktopSpreadsheetLocator::executable(const QString &program) const
{
    if (program.contains(QLatin1Char('/'))) {
        const QFileInfo info(program);
        return info.isAbsolute() && info.isFile() && info.isExecutable() ? program : QString();
    }
    // findExecutable() treats an empty list as "use PATH"; an empty search path finds nothing.
    if (m_desktop.searchPath.isEmpty())
        return {};
    return QStandardPaths::findExecutable(program, m_desktop.searchPath);
}
