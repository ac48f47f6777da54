// Measures the chart generation against the bare scan of the same subfolders, how late a 5 ms
// timer on the GUI thread fires and how long the GUI thread is held at a stretch while the
// generation runs, what charting costs per slice as the slice count grows, and the command
// line's chart of a very wide folder against du.
//
//   chart_bench [TREE]
//
// First, folders of 100 and of 10,000 empty subfolders (built once beside the tree below):
// the scan is next to nothing there, so what is timed is the chart's own work. Each of RUNS
// rounds times a generation of the 10,000 folder (from the folder click until the window is
// idle and repainted) and, next to it, the median of ten of the 100 folder, and prints
//   slice-cost-ratio 10000/100 <x.xx>   the median over the rounds of time per slice at
//                                       10,000 over time per slice at 100 (and the spread)
//   max-latency-ms <n>                  the longest a 5 ms timer tick came late during the
//                                       generations of the 10,000 folder
// Then the scan comparison:
//
// Without TREE it uses a tree of 20 subfolders holding 500,000 sparse files in all, built
// once under ${XDG_CACHE_HOME:-~/.cache}/quorvane-bench/chart-500k and reused. After a warm-up
// it alternates RUNS (7 unless set) bare scans (FolderSize of every subfolder, no memory) and
// generations (the folder click of the main window with its size memory, under the
// offscreen platform, until the window is idle), and prints the median times, then
//   ratio chart/scan <x.xx>     the median over the runs of generation time over the time of
//                               the bare scan next to it (wall clock); pairing neighbours
//                               cancels most of the drift of a machine shared with others
//   cpu-ratio chart/scan <x.xx> the same for processor time
//   scan-max-latency-ms <n>     the longest a timer tick came after it was due, in any run
//   ratio again/first <x.xx>   the median over the runs of a generation of the same folder
//                               once the size memory has built itself after the first, over
//                               that first one (the memory forgotten before the first: both
//                               pairs above are timed so, each walking everything)
//   gui-max-busy-ms <x.x>       the longest the GUI thread worked on one event (from one
//                               return to the event loop to the next) during every generation
//                               above but the first, in its own processor time; the wall time
//                               of that stretch follows, which on a loaded machine also holds
//                               the time the thread waited for a core
// Last, a folder of 32,000 empty subfolders (built once): RUNS times, alternating, the
// command line's chart of it (quorvane --json FILE FOLDER, a process of its own) and
// du -sb of it, and prints
//   wide-ratio <x.xx>           the median over the runs of the command line's time over
//                               du's next to it (and the spread)

#include "app/form1.h"
#include "foldersize/foldersize.h"
#include "foldersize/sizememory.h"
#include "platform/directorylist.h"
#include "platform/launcher.h"
#include "platform/messagebox.h"
#include "timedapplication.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int Subfolders = 20;
constexpr int FoldersPerSubfolder = 25;
constexpr int FilesPerFolder = 1000;
constexpr int TimerPeriodMs = 5;
constexpr int WideSubfolders = 32000;

TimedApplication *timedApplication()
{
    return static_cast<TimedApplication *>(QCoreApplication::instance());
}

bool makeTree(const QString &target)
{
    const QString work = target + QStringLiteral(".partial");
    QDir(work).removeRecursively();
    for (int s = 0; s < Subfolders; ++s) {
        for (int f = 0; f < FoldersPerSubfolder; ++f) {
            const QString folder = QStringLiteral("%1/sub %2/folder %3").arg(work).arg(s).arg(f);
            if (!QDir().mkpath(folder))
                return false;
            for (int i = 0; i < FilesPerFolder; ++i) {
                const QByteArray path = (folder + QStringLiteral("/file%1").arg(i)).toLocal8Bit();
                const int fd =
                    open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
                if (fd < 0 || ftruncate(fd, (i * 7919L) % 100000) != 0)
                    return false;
                close(fd);
            }
        }
    }
    return QDir().rename(work, target);
}

QString benchFolder()
{
    const QString cache = qEnvironmentVariable("XDG_CACHE_HOME", QDir::homePath() + "/.cache");
    return cache + QStringLiteral("/quorvane-bench");
}

// A folder of `count` empty subfolders, made once.
QString emptySubfolders(int count)
{
    const QString folder = benchFolder() + QStringLiteral("/chart-empty-%1").arg(count);
    if (QFileInfo(folder).isDir())
        return folder;
    std::fprintf(stderr, "chart_bench: building %s (once)\n", qPrintable(folder));
    const QString work = folder + QStringLiteral(".partial");
    QDir(work).removeRecursively();
    for (int i = 0; i < count; ++i)
        if (!QDir().mkpath(QStringLiteral("%1/subfolder %2").arg(work).arg(i, 5, 10, QChar(u'0'))))
            return {};
    return QDir().rename(work, folder) ? folder : QString();
}

QString defaultTree()
{
    const QString cache = qEnvironmentVariable("XDG_CACHE_HOME", QDir::homePath() + "/.cache");
    const QString tree = cache + QStringLiteral("/quorvane-bench/chart-500k");
    if (!QFileInfo(tree).isDir()) {
        std::fprintf(stderr, "chart_bench: building %s (once)\n", qPrintable(tree));
        QDir().mkpath(cache + QStringLiteral("/quorvane-bench"));
        if (!makeTree(tree))
            return {};
    }
    return tree;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

// Wall-clock and processor seconds of one measured stretch.
struct Times {
    double wall = 0;
    double cpu = 0;
};

double processorSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

template<typename Work> Times measure(Work &&work)
{
    QElapsedTimer clock;
    const double cpuStart = processorSeconds();
    clock.start();
    work();
    return {double(clock.nsecsElapsed()) / 1e9, processorSeconds() - cpuStart};
}

void scanEverySubfolder(const DirectoryList &list)
{
    for (int i = 0; i < list.listCount(); ++i)
        FolderSize(list.list(i).toLocal8Bit().toStdString());
}

// Runs the event loop until the window has nothing under way and its paints are done.
void waitUntilIdle(const Form1 &form)
{
    while (!form.idle()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (!form.idle())
            QThread::usleep(200);
    }
    QCoreApplication::processEvents();
}

// One folder click on the tree, charted to the end; lateMs grows to the worst lateness of a
// timer tick.
void generate(Form1 &form, const QString &tree, double &lateMs)
{
    QElapsedTimer clock;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(TimerPeriodMs);
    qint64 lastTickNs = 0;
    const auto noteTick = [&] {
        const qint64 now = clock.nsecsElapsed();
        lateMs = std::max(lateMs, double(now - lastTickNs) / 1e6 - TimerPeriodMs);
        lastTickNs = now;
    };
    QObject::connect(&ticker, &QTimer::timeout, &ticker, noteTick);
    clock.start();
    ticker.start();
    timedApplication()->setMeasuring(true);
    form.TreeFolder1_FolderClick(tree);
    waitUntilIdle(form);
    timedApplication()->setMeasuring(false);
    noteTick(); // the stretch after the last tick counts too
}

// Seconds per slice of one generation of folder, until its last repaint is done.
double secondsPerSlice(Form1 &form, const QString &folder, int slices, double &lateMs)
{
    const Times times = measure([&] { generate(form, folder, lateMs); });
    return times.wall / slices;
}

// Time per slice with 10,000 slices over time per slice with 100, each round next to its
// own measure of the small folder.
bool measureSliceCost(Form1 &form, int rounds)
{
    const QString small = emptySubfolders(100);
    const QString large = emptySubfolders(10000);
    if (small.isEmpty() || large.isEmpty()) {
        std::fprintf(stderr, "chart_bench: cannot build the folders of empty subfolders\n");
        return false;
    }
    double ignoredMs = 0;
    double lateMs = 0;
    secondsPerSlice(form, small, 100, ignoredMs); // warm-up
    secondsPerSlice(form, large, 10000, ignoredMs);
    timedApplication()->restart(); // the window's first showing is start-up, not charting
    std::vector<double> ratios;
    std::vector<double> largeTimes;
    for (int round = 0; round < rounds; ++round) {
        std::vector<double> smallTimes;
        for (int i = 0; i < 10; ++i)
            smallTimes.push_back(secondsPerSlice(form, small, 100, ignoredMs));
        largeTimes.push_back(secondsPerSlice(form, large, 10000, lateMs));
        ratios.push_back(largeTimes.back() / median(smallTimes));
    }
    std::printf("chart-10000-median-s %.3f\n", median(largeTimes) * 10000);
    std::printf("slice-cost-ratio 10000/100 %.2f (min %.2f, max %.2f, %d rounds)\n", median(ratios),
                *std::min_element(ratios.begin(), ratios.end()),
                *std::max_element(ratios.begin(), ratios.end()), rounds);
    std::printf("max-latency-ms %d\n", int(std::ceil(std::max(lateMs, 0.0))));
    std::fflush(stdout);
    return true;
}

// Each generation's time over the time of the bare scan of the same run.
std::vector<double> pairedRatios(const std::vector<Times> &chart, const std::vector<Times> &bare,
                                 double Times::*which)
{
    std::vector<double> ratios;
    for (std::size_t i = 0; i < chart.size() && i < bare.size(); ++i)
        ratios.push_back(chart[i].*which / bare[i].*which);
    return ratios;
}

std::vector<double> all(const std::vector<Times> &times, double Times::*which)
{
    std::vector<double> values;
    for (const Times &t : times)
        values.push_back(t.*which);
    return values;
}

double runSeconds(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    if (!process.waitForFinished(600000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        std::fprintf(stderr, "chart_bench: %s failed\n", qPrintable(program));
        return -1;
    }
    return double(clock.nsecsElapsed()) / 1e9;
}

// The command line's chart of a folder of WideSubfolders empty subfolders over du -sb of the
// same folder, each run next to the other.
bool measureWide(int runs)
{
    const QString wide = emptySubfolders(WideSubfolders);
    QTemporaryDir out;
    if (wide.isEmpty() || !out.isValid()) {
        std::fprintf(stderr, "chart_bench: cannot build the wide folder\n");
        return false;
    }
    const QString json = out.filePath(QStringLiteral("wide.json"));
    const QStringList cli = {QStringLiteral("--json"), json, wide};
    const QStringList du = {QStringLiteral("-sb"), wide};
    runSeconds(QStringLiteral(QUORVANE_EXECUTABLE), cli); // warm-up
    runSeconds(QStringLiteral("du"), du);
    std::vector<double> ratios;
    std::vector<double> cliTimes;
    std::vector<double> duTimes;
    for (int run = 0; run < runs; ++run) {
        double c = 0;
        double d = 0;
        if (run % 2) {
            d = runSeconds(QStringLiteral("du"), du);
            c = runSeconds(QStringLiteral(QUORVANE_EXECUTABLE), cli);
        } else {
            c = runSeconds(QStringLiteral(QUORVANE_EXECUTABLE), cli);
            d = runSeconds(QStringLiteral("du"), du);
        }
        if (c <= 0 || d <= 0)
            return false;
        cliTimes.push_back(c);
        duTimes.push_back(d);
        ratios.push_back(c / d);
    }
    std::printf("wide-cli-median-s %.3f\nwide-du-median-s %.3f\n", median(cliTimes),
                median(duTimes));
    std::printf("wide-ratio %.2f (min %.2f, max %.2f, %d runs)\n", median(ratios),
                *std::min_element(ratios.begin(), ratios.end()),
                *std::max_element(ratios.begin(), ratios.end()), runs);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    TimedApplication application(argc, argv);
    const QString tree = argc > 1 ? QString::fromLocal8Bit(argv[1]) : defaultTree();
    DirectoryList list;
    try {
        list.setPath(tree);
    } catch (const std::exception &) {
        std::fprintf(stderr, "chart_bench: cannot list %s\n", qPrintable(tree));
        return 1;
    }
    const int runs =
        qEnvironmentVariableIsSet("RUNS") ? std::max(1, qEnvironmentVariableIntValue("RUNS")) : 7;

    // The window's size memory, as the program makes it (QUORVANE_SIZE_MEMORY=0: none).
    const SizeMemorySettings memorySettings = SizeMemorySettings::fromEnvironment();
    const auto memory =
        memorySettings.enabled ? std::make_shared<SizeMemory>(memorySettings) : nullptr;
    Form1Environment environment;
    environment.endProgram = [] {};
    environment.sizeMemory = memory;
    Form1 form(environment);
    if (!measureSliceCost(form, runs))
        return 1;
    double lateMs = 0;
    scanEverySubfolder(list); // warms the cache
    std::vector<Times> bare;
    std::vector<Times> chart;
    std::vector<Times> again;
    for (int run = 0; run < runs; ++run) {
        // Alternating which goes first evens out a machine that slows down or speeds up.
        // Both walk everything: the bare scan remembers nothing, and the window's memory
        // forgets what its last chart remembered.
        const auto bareRun = [&] { bare.push_back(measure([&] { scanEverySubfolder(list); })); };
        const auto chartRun = [&] {
            if (memory)
                memory->forgetAll();
            chart.push_back(measure([&] { generate(form, tree, lateMs); }));
            // The memory builds itself in the background once the walk is over; a generation
            // meanwhile would simply walk again.
            if (memory)
                memory->waitBuilt(std::chrono::minutes(10));
            again.push_back(measure([&] { generate(form, tree, lateMs); }));
        };
        if (run % 2) {
            chartRun();
            bareRun();
        } else {
            bareRun();
            chartRun();
        }
    }
    std::printf("subfolders %d, runs %d\n", list.listCount(), runs);
    std::printf("scan-median-s %.3f\nchart-median-s %.3f\n", median(all(bare, &Times::wall)),
                median(all(chart, &Times::wall)));
    std::printf("ratio chart/scan %.2f\n", median(pairedRatios(chart, bare, &Times::wall)));
    std::printf("cpu-ratio chart/scan %.2f\n", median(pairedRatios(chart, bare, &Times::cpu)));
    const std::vector<double> againRatios = pairedRatios(again, chart, &Times::wall);
    std::printf("again-median-s %.4f\n", median(all(again, &Times::wall)));
    std::printf("ratio again/first %.3f (min %.3f, max %.3f)\n", median(againRatios),
                *std::min_element(againRatios.begin(), againRatios.end()),
                *std::max_element(againRatios.begin(), againRatios.end()));
    std::printf("scan-max-latency-ms %d\n", int(std::ceil(std::max(lateMs, 0.0))));
    std::printf("gui-max-busy-ms %.1f (thread processor time, %s; wall %.1f)\n",
                application.longestMs(), qPrintable(application.longestWhat()),
                application.longestWallMs());
    std::fflush(stdout);
    return measureWide(runs) ? 0 : 1;
}
