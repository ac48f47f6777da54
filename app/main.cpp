#include "app/cli/commandline.h"
#include "app/cli/headlessexport.h"
#include "app/cli/openscan.h"
#include "app/cli/outputfile.h"
#include "app/cli/outputtarget.h"
#include "app/cli/savescan.h"
#include "app/form1.h"
#include "app/scanchartsource.h"
#include "app/scanwindow.h"
#include "app/screenfit.h"
#include "app/translations.h"
#include "export/savejournal.h"
#include "foldersize/sizememory.h"
#include "history/historyrecorder.h"
#include "platform/nativepath.h"
#include "posix/offthread.h"

#include <QApplication>
#include <csignal>
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
// scripting the outputs; standard error is kept for progress, what could not be read and
// errors, which the program words itself.
// Only a fatal error, which ends the program, is passed on.
void quietQtNotes(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtFatalMsg)
        std::fprintf(stderr, "quorvane: %s\n", message.toLocal8Bit().constData());
}

int openWindow(const QString &folder, std::shared_ptr<SizeMemory> memory)
{
    Form1Environment environment;
    environment.sizeMemory = std::move(memory);
    if (historyWanted())
        environment.history = std::make_shared<HistoryRecorder>(defaultHistoryFolder());
    if (!folder.isEmpty())
        environment.desktopFolder = [start = windowStartFolder(folder)] { return start; };
    // The window speaks the user's language where a translation is installed; the command line
    // never loads one, so what it writes stays the same everywhere.
    InstallTranslations(QLocale::system(), TranslationFolders());
    Form1 form(std::move(environment));
    form.Form_Load();
    if (form.ending())
        return Success;
    fitToScreen(form);
    form.show();
    return QApplication::exec();
}

// The window of a scan file, at folder inside it; nothing on the disk is looked at.
int openScanWindow(std::shared_ptr<ScanChartSource> scan, const QString &folder)
{
    const QString top = scan->topFolder();
    ScanWindow window(std::move(scan));
    if (folder != top)
        window.chart(folder);
    window.show();
    return QApplication::exec();
}

// An in-place save a kill or a power cut stopped left a file half overwritten: its old
// contents are put back before anything else, or said to be where they are. Asked off this
// thread: a noted file on a share that stopped answering must not hold the start.
void tellStoppedSaves()
{
    const std::optional<QStringList> problems =
        callWithin<QStringList>(std::chrono::seconds(2), restoreStoppedSaves, WithoutThread::Skip);
    for (const QString &problem : problems.value_or(QStringList()))
        tellError(problem);
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
    case CommandLine::Action::SaveScan:
        break;
    }
    tellStoppedSaves();
    QString folder;
    std::shared_ptr<ScanChartSource> scan;
    if (!line.openScanFile.isEmpty()) {
        QString problem;
        scan = openScanFile(line, folder, problem);
        if (!scan) {
            tellError(problem);
            return BadUsage;
        }
    } else if (!line.folder.isEmpty()) {
        QString problem;
        folder = absoluteFolder(line.folder, &problem);
        // Asked off this thread: a FOLDER on a mount that stopped answering would hold it.
        if (problem.isEmpty())
            problem =
                callWithin<QString>(line.timeout, [folder] { return folderProblem(folder); })
                    .value_or(
                        QStringLiteral("it did not answer within %1 s").arg(line.timeout.count()));
        if (!problem.isEmpty()) {
            tellError(QStringLiteral("cannot chart %1: %2").arg(displayPath(line.folder), problem));
            return BadUsage;
        }
    }
    if (line.action == CommandLine::Action::SaveScan)
        return runSaveScan(line, folder);
    QList<OutputTarget> targets;
    // The application object takes only the program's name when making outputs: Qt's own
    // options (-platform xcb) would bring back the display they do not need.
    int qtArgumentCount = line.action == CommandLine::Action::Export ? 1 : argc;
    if (line.action == CommandLine::Action::Export) {
        // Every FILE is checked before the scan, so that a mistake costs no scanning time.
        const QString problem = checkOutputTargets(line, targets);
        if (!problem.isEmpty()) {
            tellError(problem);
            return BadUsage;
        }
        // A reader that goes away is then a failed write (EPIPE) told as such.
        std::signal(SIGPIPE, SIG_IGN);
        // Drawn without a window: a DISPLAY left over from another session (ssh, tmux, cron)
        // must not matter.
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
    QApplication application(qtArgumentCount, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvane"));
    QApplication::setApplicationVersion(QStringLiteral(QUORVANE_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("quorvane"));

    // The command line walks each folder once and exits: watching what it walked would only
    // cost time and watches. The window remembers, unless QUORVANE_SIZE_MEMORY=0.
    if (line.action == CommandLine::Action::Export)
        return runHeadlessExport(line, folder, targets, std::move(scan));
    const SizeMemorySettings memory = SizeMemorySettings::fromEnvironment();
    if (scan)
        return openScanWindow(std::move(scan), folder);
    return openWindow(folder, memory.enabled ? std::make_shared<SizeMemory>(memory) : nullptr);
}
