#include "app/commandline.h"
#include "app/form1.h"
#include "app/headlessexport.h"
#include "app/outputfile.h"
#include "foldersize/sizememory.h"
#include "platform/nativepath.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

namespace {

enum ExitStatus { Success = 0, Failure = 1, BadUsage = 2 };

bool noDisplay()
{
    return qEnvironmentVariableIsEmpty("DISPLAY") &&
           qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
           qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

// Qt's notes about the platform ("XDG_RUNTIME_DIR not set", ...) are no business of someone
// scripting the outputs; standard error is kept for progress and errors.
void quietQtNotes(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

int openWindow(const QString &folder)
{
    Form1Environment environment;
    if (!folder.isEmpty())
        environment.desktopFolder = [start = windowStartFolder(folder)] { return start; };
    Form1 form(std::move(environment));
    form.Form_Load();
    if (form.ending())
        return Success;
    form.show();
    return QApplication::exec();
}

} // namespace

int main(int argc, char **argv)
{
    // Answered before any application object exists, so that --help, --version and mistakes
    // need no display.
    const CommandLine line = parseCommandLine(commandLineArguments(argc, argv));
    switch (line.action) {
    case CommandLine::Action::ShowHelp:
    case CommandLine::Action::ShowVersion:
        std::fputs(line.text.toLocal8Bit().constData(), stdout);
        return std::fflush(stdout) == 0 ? Success : EXIT_FAILURE;
    case CommandLine::Action::BadUsage:
        std::fputs(line.text.toLocal8Bit().constData(), stderr);
        return BadUsage;
    case CommandLine::Action::OpenWindow:
    case CommandLine::Action::Export:
        break;
    }
    if (!line.folder.isEmpty()) {
        const QString problem = folderProblem(line.folder);
        if (!problem.isEmpty()) {
            tellError(QStringLiteral("cannot chart %1: %2").arg(displayPath(line.folder), problem));
            return BadUsage;
        }
    }
    if (line.action == CommandLine::Action::Export) {
        // Outputs are made without a window; with no display to connect to, the offscreen
        // platform draws them just the same.
        if (noDisplay())
            qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler(quietQtNotes);
    } else if (noDisplay()) {
        tellError(QStringLiteral("no display to open the window on (neither DISPLAY nor "
                                 "WAYLAND_DISPLAY is set); --text, --jpg, --xlsx and --json "
                                 "work without one"));
        return Failure;
    }

    // On Linux QApplication sets the C locale from the environment (setlocale(LC_ALL, "")),
    // which the size texts rely on for their decimal separator.
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvane"));
    QApplication::setApplicationVersion(QStringLiteral(QUORVANE_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("quorvane"));

    // The command line walks each folder once and exits: watching what it walked would only
    // cost time and watches. The window remembers, unless QUORVANE_SIZE_MEMORY=0.
    SizeMemorySettings memory = SizeMemorySettings::fromEnvironment();
    if (line.action == CommandLine::Action::Export)
        memory.enabled = false;
    SizeMemory::useSharedSettings(memory);
    if (line.action == CommandLine::Action::Export)
        return runHeadlessExport(line);
    return openWindow(line.folder);
}
